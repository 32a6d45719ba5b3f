#include "EditRules.h"

namespace {

qsizetype CountNonDigits(const QString& s) {
    qsizetype n = 0;
    for (QChar c : s)
        if (c < u'0' || c > u'9') ++n;
    return n;
}

}  // namespace

bool ApplyEditInputRules(const EditInputRules& rules, const QString& before, QString* after) {
    if (rules.upperCase) *after = after->toUpper();
    if (rules.digitsOnly && CountNonDigits(*after) > CountNonDigits(before)) return false;
    if (rules.limit > 0 && after->size() > rules.limit && after->size() > before.size()) return false;
    return true;
}

bool FitsVisibleWidth(int beforeWidth, int afterWidth, int visibleWidth) {
    return afterWidth <= visibleWidth || afterWidth <= beforeWidth;
}
