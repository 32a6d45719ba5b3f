// The byte rules of the image fields: bit fields, USB string fields in their
// short and long layouts, key files and default images. Plain functions on
// an image buffer, shared by the field table and the option pages.
#pragma once

#include "ImageFormat.h"
#include "WinTypes.h"

#include <cstddef>
#include <cstdio>
#include <string>

// --- Bit fields ----------------------------------------------------------------

// A value kept in some bits of an option byte (a selection index, a flag).
struct ComboField {
    int shift;  // the field's lowest bit
    BYTE mask;  // the field's bits, in place
};

// The value the field of byte holds.
constexpr int ComboIndexOf(BYTE value, ComboField field) { return (value & field.mask) >> field.shift; }
// The field's bits for a value, cut to the field.
constexpr BYTE ComboBitsOf(int index, ComboField field) {
    return static_cast<BYTE>((static_cast<unsigned>(index) << field.shift) & field.mask);
}

// --- String fields -------------------------------------------------------------

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
// headers (in the long layout only their length bytes).
inline constexpr std::size_t VIDEO_STRING_FIELD = 16;
inline constexpr std::size_t AUDIO_STRING_FIELD = 32;

// A string as its bytes: one byte per character.
struct StringFieldBytes {
    bool present = false;  // length byte at most capacity + 1
    std::string chars;     // empty for length 0 or 1
};

// Reads a string: a length byte above capacity + 1 marks an absent string.
StringFieldBytes ReadStringField(const BYTE* image, const StringFieldLayout& layout);

// Writes a string. Present: length byte = characters + 1, then the
// characters; the bytes behind the last character keep what they held.
// Absent: the length byte and all capacity character bytes FF. Characters
// beyond the capacity are cut, so that nothing is written outside the field.
void WriteStringField(BYTE* image, const StringFieldLayout& layout, bool present, const std::string& chars);

// --- Long string layout ----------------------------------------------------------

// An image may keep its two USB strings behind the header, up to 64
// characters each, with only their length bytes in the header fields
// (LongStringField). Sixteen FF bytes at LONG_STRING_MARKER announce it.
inline constexpr std::size_t LONG_STRING_MARKER = 0x1000;
inline constexpr std::size_t LONG_STRING_MARKER_SIZE = 16;

// True when the strings of the image are in the long layout: the sixteen
// marker bytes all FF and a code length other than 0. Decided afresh from
// the image on every load and every string edit.
bool HasLongStringLayout(const BYTE* image, WORD codeLen);

// --- Key files -------------------------------------------------------------------

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

// --- Default images --------------------------------------------------------------

// The 52-byte default image of a chip type: the 48-byte header as given, its
// header checksum at 48..49 and a code checksum of 0 at 50..51.
inline constexpr DWORD DEFAULT_IMAGE_LEN = IMAGE_HEADER_SIZE + 4;
void WriteDefaultImage(BYTE* image, const BYTE (&header)[IMAGE_HEADER_SIZE], ChecksumLayout layout);
