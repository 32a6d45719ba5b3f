// The rules the option pages share, as pure functions on an image buffer and
// on texts, so that every page applies the same rule and tests can call
// them without windows.
#pragma once

#include "FieldRules.h"
#include "ImageFormat.h"
#include "WinTypes.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <string>

// --- Hex edits ---------------------------------------------------------------

// swscanf(text, L"%X", &value) with value starting at 0: leading white
// space, an optional sign, an optional 0x prefix, then hex digits of either
// case, stopping at the first other character; the value wraps at 32 bits
// and a minus sign negates it ("-1" gives FFFFFFFF). A text without digits
// leaves 0.
DWORD ScanHex(const QString& text);
// ScanHex taken as a signed 32-bit number: the read-length edit and the
// pieces of a device's port path.
int ScanHex32(const QString& text);

// Which letters a hex edit accepts besides the digits.
enum class HexDigits {
    UpperCase,  // 'A'..'F' only: the upper-case edits
    AnyCase,    // 'a'..'f' too
};

struct HexEditScan {
    DWORD value = 0;    // what the scan gave
    bool valid = true;  // every character a hex digit of the allowed kind
};

// The check of a hex edit's text: its scanned value, and whether the text
// may be stored. An invalid text is answered with "Invalid parameters" and
// replaced by HexText(value).
HexEditScan ScanHexEdit(const QString& text, HexDigits digits = HexDigits::UpperCase);

// "%X": the text an invalid hex edit is reset to.
QString HexText(DWORD value);
// "%02X%02X" of a big-endian byte pair: the text of a vendor or product id.
QString HexPairText(const BYTE* pair);

// --- Signed-number edits -----------------------------------------------------

// swscanf(text, L"%d", &value) with value starting at 0: leading white
// space, an optional sign, then decimal digits, stopping at the first other
// character; a text without digits leaves 0. A number beyond the int range
// gives INT_MIN or INT_MAX, so that it counts as below or above any range.
int ScanDecimal(const QString& text);

struct NumberEditScan {
    std::optional<int> value;  // the value to store: the text is sound
    QString reset;             // else the text the edit is set to instead
};

// The check of a signed-number edit whose values run from low to high. At
// the first character that is not a digit (a minus sign passes as the first
// character only) the edit is reset to "%d" of what was scanned; a value
// below or above the range resets it to "%d" of that bound. No message is
// shown: the reset text runs the edit's handler again, which stores it.
NumberEditScan ScanNumberEdit(const QString& text, int low, int high);

// --- Image fields ----------------------------------------------------------------

// Bit fields, string fields, the long string layout, key files and default
// images are the field table's (FieldRules.h); here only the texts.

struct StringFieldValue {
    bool present = false;  // length byte at most capacity + 1
    QString text;          // one character per byte; empty for length 0 or 1
};

// A string field as an edit shows it: each byte the character of its code.
StringFieldValue DecodeStringField(const BYTE* image, const StringFieldLayout& layout);

// Writes an edit's text as a string field: the low byte of each UTF-16
// character (WriteStringField).
void EncodeStringField(BYTE* image, const StringFieldLayout& layout, bool present, const QString& text);
// The low byte of each UTF-16 character.
std::string LowBytes(const QString& text);
