// The rules the option pages share, as pure functions on an image buffer and
// on texts, so that every page applies the same rule and tests can call
// them without windows.
#pragma once

#include "ImageFormat.h"
#include "WinTypes.h"

#include <QString>

#include <cstddef>
#include <cstdio>
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

// --- Drop-down lists ---------------------------------------------------------

// A drop-down list whose selection index is kept in a bit field of an
// option byte (index 0 = the first entry).
struct ComboField {
    int shift;  // the field's lowest bit
    BYTE mask;  // the field's bits, in place
};

// The index the field of value holds.
constexpr int ComboIndexOf(BYTE value, ComboField field) { return (value & field.mask) >> field.shift; }
// The field's bits for a selection index, cut to the field.
constexpr BYTE ComboBitsOf(int index, ComboField field) {
    return static_cast<BYTE>((static_cast<unsigned>(index) << field.shift) & field.mask);
}

// --- String fields -----------------------------------------------------------

// Where a string lives: one length byte (characters + 1) and the character
// bytes. The short layout keeps the characters right behind the length byte
// in a 16-byte header field; a long layout keeps them elsewhere.
struct StringFieldLayout {
    std::size_t lengthOffset;  // image offset of the length byte
    std::size_t charsOffset;   // image offset of the first character
    int capacity;              // most characters the field holds
};

// The 16-byte header field at offset: up to 15 characters.
constexpr StringFieldLayout ShortStringField(std::size_t offset) { return {offset, offset + 1, 15}; }
// Length byte in the header, up to 64 characters in an area of their own.
constexpr StringFieldLayout LongStringField(std::size_t lengthOffset, std::size_t charsOffset) {
    return {lengthOffset, charsOffset, 64};
}

// The USB video and audio strings of the VQ7140XX, VQ7170 and VQ7340
// headers: their 16-byte fields (in the long layout only the length bytes),
// and the text an edit shows while its string is absent.
inline constexpr std::size_t VIDEO_STRING_FIELD = 16;
inline constexpr std::size_t AUDIO_STRING_FIELD = 32;
inline const QString kVideoStringDefault = QStringLiteral("USB Video");
inline const QString kAudioStringDefault = QStringLiteral("USB Audio");

struct StringFieldValue {
    bool present = false;  // length byte at most capacity + 1
    QString text;          // one character per byte; empty for length 0 or 1
};

// Reads a string: a length byte above capacity + 1 marks an absent string.
StringFieldValue DecodeStringField(const BYTE* image, const StringFieldLayout& layout);

// Writes a string. Present: length byte = characters + 1, then the low byte
// of each UTF-16 character; the bytes behind the last character keep what
// they held. Absent: the length byte and all capacity character bytes FF.
// A text longer than the field is cut to its capacity, so that nothing is
// written outside the field.
void EncodeStringField(BYTE* image, const StringFieldLayout& layout, bool present, const QString& text);

// --- Checksums and defaults --------------------------------------------------

// The checksum stores are ImageFormat's StoreHeaderChecksum and
// StoreCodeChecksum.

// The 52-byte default image of a page: the 48-byte header as given, its
// header checksum at 48..49 and a code checksum of 0 at 50..51.
inline constexpr DWORD DEFAULT_IMAGE_LEN = IMAGE_HEADER_SIZE + 4;
void WriteDefaultImage(BYTE* image, const BYTE (&header)[IMAGE_HEADER_SIZE], ChecksumLayout layout);

// --- Long string layout --------------------------------------------------------

// An image may keep its two USB strings behind the header, up to 64
// characters each, with only their length bytes in the header fields
// (LongStringField). Sixteen FF bytes at LONG_STRING_MARKER announce it.
inline constexpr std::size_t LONG_STRING_MARKER = 0x1000;
inline constexpr std::size_t LONG_STRING_MARKER_SIZE = 16;

// True when the strings of the image are in the long layout: the sixteen
// marker bytes all FF and a code length other than 0. Decided afresh from
// the image on every load and every string edit.
bool HasLongStringLayout(const BYTE* image, WORD codeLen);

// --- Key files -----------------------------------------------------------------

struct KeyFileRead {
    enum Status {
        Loaded,      // the whole key is in the target
        CannotOpen,  // not opened, or fewer bytes read than the file holds
        WrongSize,   // the file is not of the key's size
    };
    Status status = CannotOpen;
    long long size = -1;  // the file's size; -1 when it could not be found
};

// Reads a key of exactly n bytes from a file at its start into key. The
// bytes go through a buffer of their own: key changes only when all n
// bytes were read.
KeyFileRead ReadKeyFile(std::FILE* file, BYTE* key, std::size_t n);
// The same from the file at path (opened for reading in binary mode,
// closed again).
KeyFileRead ReadKeyFile(const std::string& path, BYTE* key, std::size_t n);
