#include "PageRules.h"

#include <algorithm>
#include <climits>

namespace {

int HexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
}

bool IsScanSpace(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

// What a number scan takes before the digits: white space, then one
// optional sign. Moves i past them; true for a minus sign.
bool SkipSpaceAndSign(const QString& text, qsizetype& i) {
    while (i < text.size() && IsScanSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) return text[i++] == u'-';
    return false;
}

}  // namespace

DWORD ScanHex(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool negative = SkipSpaceAndSign(text, i);
    // An 0x prefix counts only with a hex digit behind it; "0x" alone is the
    // digit 0.
    if (i + 2 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        HexDigitValue(text[i + 2]) >= 0)
        i += 2;
    DWORD value = 0;
    bool any = false;
    for (; i < n; ++i) {
        const int d = HexDigitValue(text[i]);
        if (d < 0) break;
        value = value * 16u + static_cast<DWORD>(d);
        any = true;
    }
    if (!any) return 0;
    return negative ? 0u - value : value;
}

int ScanHex32(const QString& text) { return static_cast<int>(ScanHex(text)); }

int ScanDecimal(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool negative = SkipSpaceAndSign(text, i);
    // The magnitude stops growing past the int range; the digits are still
    // taken, so the value saturates instead of wrapping.
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < u'0' || u > u'9') break;
        magnitude = std::min(kLimit, magnitude * 10 + (u - u'0'));
    }
    const long long value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

NumberEditScan ScanNumberEdit(const QString& text, int low, int high) {
    const int value = ScanDecimal(text);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const bool ok = (u >= u'0' && u <= u'9') || (u == u'-' && i == 0);
        if (!ok) return {std::nullopt, QString::number(value)};
    }
    if (value < low) return {std::nullopt, QString::number(low)};
    if (value > high) return {std::nullopt, QString::number(high)};
    return {value, QString()};
}

HexEditScan ScanHexEdit(const QString& text, HexDigits digits) {
    HexEditScan scan;
    scan.value = ScanHex(text);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') ||
                        (digits == HexDigits::AnyCase && u >= u'a' && u <= u'f');
        if (!ok) {
            scan.valid = false;
            break;
        }
    }
    return scan;
}

QString HexText(DWORD value) { return QString::asprintf("%X", value); }

QString HexPairText(const BYTE* pair) { return QString::asprintf("%02X%02X", pair[0], pair[1]); }

StringFieldValue DecodeStringField(const BYTE* image, const StringFieldLayout& layout) {
    const StringFieldBytes bytes = ReadStringField(image, layout);
    StringFieldValue out;
    out.present = bytes.present;
    for (char b : bytes.chars) out.text.append(QChar(static_cast<unsigned char>(b)));
    return out;
}

std::string LowBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) bytes += static_cast<char>(c.unicode() & 0xFF);
    return bytes;
}

void EncodeStringField(BYTE* image, const StringFieldLayout& layout, bool present, const QString& text) {
    WriteStringField(image, layout, present, LowBytes(text));
}
