#include "EditRules.h"

#include <algorithm>

namespace {

qsizetype CountNonDigits(const QString& s) {
    qsizetype n = 0;
    for (QChar c : s)
        if (c < u'0' || c > u'9') ++n;
    return n;
}

}  // namespace

qsizetype CutInsertionToLimit(int limit, const QString& before, QString* after, int* cursor) {
    const qsizetype total = after->size();
    // What follows the insertion is the end of the old text: everything
    // behind the cursor, or else the longest common tail.
    qsizetype tail = 0;
    if (cursor && *cursor >= 0 && *cursor <= total) {
        tail = std::min(total - *cursor, before.size());
    } else {
        while (tail < std::min(total, before.size()) && (*after)[total - 1 - tail] == before[before.size() - 1 - tail])
            ++tail;
    }
    // What precedes it is the common head, up to what is left of the old text.
    const qsizetype headLimit = std::min(total - tail, before.size() - tail);
    qsizetype head = 0;
    while (head < headLimit && (*after)[head] == before[head]) ++head;
    const qsizetype inserted = total - tail - head;
    const qsizetype room = std::max<qsizetype>(0, limit - head - tail);
    const qsizetype kept = std::min(inserted, room);
    if (kept < inserted) {
        after->remove(head + kept, inserted - kept);
        if (cursor) *cursor = static_cast<int>(head + kept);
    }
    return kept;
}

bool ApplyEditInputRules(const EditInputRules& rules, const QString& before, QString* after, int* cursor) {
    if (rules.upperCase) *after = after->toUpper();
    if (rules.digitsOnly && CountNonDigits(*after) > CountNonDigits(before)) return false;
    if (rules.limit > 0 && after->size() > rules.limit && after->size() > before.size())
        return CutInsertionToLimit(rules.limit, before, after, cursor) > 0;
    return true;
}

bool FitsVisibleWidth(int beforeWidth, int afterWidth, int visibleWidth) {
    return afterWidth <= visibleWidth || afterWidth <= beforeWidth;
}
