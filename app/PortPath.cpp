#include "PortPath.h"

#include <cstdint>
#include <vector>

namespace {

bool IsCSpace(QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int HexDigit(QChar c) {
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    return -1;
}

}  // namespace

int ScanHex32(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    if (i + 2 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') && HexDigit(text[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    for (; i < n && HexDigit(text[i]) >= 0; ++i) {
        // Beyond 64 bits the number saturates, as the C library's does.
        value = value > (UINT64_MAX >> 4) ? UINT64_MAX : value * 16 + static_cast<std::uint64_t>(HexDigit(text[i]));
    }
    if (negative) value = ~value + 1;
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

QString FormatPortPath(const QString& location) {
    constexpr qsizetype kFirst = 3;
    constexpr qsizetype kLast = 8;
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 0; i < location.size(); ++i)
        if (location[i] == u'.') starts.push_back(i + 1);
    const qsizetype fields = static_cast<qsizetype>(starts.size());

    QString path;
    for (qsizetype k = kFirst; k <= kLast && k < fields; ++k) {
        const qsizetype start = starts[static_cast<size_t>(k)];
        QString piece;
        if (k + 1 < fields) {
            // The three characters before the field's '.'; a shorter field
            // gives three characters from its start, over the '.'.
            const qsizetype dot = starts[static_cast<size_t>(k + 1)] - 1;
            piece = location.mid(dot - start >= 3 ? dot - 3 : start, 3);
        } else {
            piece = location.mid(start, 3);
        }
        path += QString::number(ScanHex32(piece));
        if (k < kLast) path += u'-';
    }
    return path;
}
