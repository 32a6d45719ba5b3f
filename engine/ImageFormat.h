// Image layout and checksums.
//
// IMAGE_HEADER (48 bytes) is followed by len code bytes, the header checksum
// and the code checksum (both big-endian 16-bit byte sums). IMAGE_HEADER16
// (16 bytes, VQ7140S only) is followed by the code and carries no checksum.
#pragma once

#include "ByteOrder.h"
#include "WinTypes.h"

#include <cstddef>

// Memory types; a chip's supported types are a bit mask of these.
inline constexpr BYTE MEMTYPE_24C01_16 = 1;
inline constexpr BYTE MEMTYPE_24C32_64 = 2;
inline constexpr BYTE MEMTYPE_FLASH = 4;

// Every EEPROM request carries 1 for the 24C32/64 class, 0 for anything else.
inline constexpr BYTE MemorySelector(BYTE memType) { return memType == MEMTYPE_24C32_64 ? 1 : 0; }

// Magic bytes 0..1 of an image per memory type; a type without magic has
// none. A chip type of one memory type (`single`) writes its type-1 magic
// whatever type is chosen.
struct MemoryTypeMagic {
    BYTE type1[2];
    bool hasType2;
    BYTE type2[2];
    bool hasType4;
    BYTE type4[2];
    bool single = false;
};
// The memory type bytes 0..1 stand for: flash or 24C32/64 where they hold
// that type's magic, else 24C01-16.
BYTE MagicMemoryType(const MemoryTypeMagic& magic, const BYTE* image);
// Writes memType's magic into bytes 0..1 (nothing for a type without one).
void SetMagicMemoryType(const MemoryTypeMagic& magic, BYTE* image, BYTE memType);

// The largest image, and the most a read fetches.
inline constexpr std::size_t IMAGE_BUFFER_SIZE = 16777216;
// 16-bit EEPROM addresses.
inline constexpr std::size_t EEPROM_SPACE = 65536;

inline constexpr std::size_t IMAGE_HEADER_SIZE = 48;
inline constexpr std::size_t IMAGE_HEADER16_SIZE = 16;

#pragma pack(push, 1)
struct IMAGE_HEADER {
    BYTE magic[2];
    BYTE codeLen[2];  // big-endian
    BYTE option[8];   // image bytes 4..11
    BYTE version[4];  // image bytes 12..15
    BYTE string1[16];
    BYTE string2[16];
};
struct IMAGE_HEADER16 {
    BYTE magic[2];
    BYTE codeLen[2];  // big-endian
    BYTE option[8];
    BYTE version[4];
};
#pragma pack(pop)
static_assert(sizeof(IMAGE_HEADER) == IMAGE_HEADER_SIZE);
static_assert(sizeof(IMAGE_HEADER16) == IMAGE_HEADER16_SIZE);

// Which header bytes the header checksum covers.
enum class ChecksumLayout {
    VQ7140S,   // no header checksum; code from offset 16
    VQ7140XX,  // header 2..10 and 16..47
    VQ7170,    // header 2..47 (VQ7170, VQ7170S, VQ5520)
    VQ7340,    // header 2..11 and 16..47 (VQ7340, VQ5632)
};

// Plain 16-bit sum of bytes.
WORD ByteSum16(const BYTE* p, std::size_t n);

// Code length from image bytes 2..3.
inline WORD ImageCodeLength(const BYTE* image) { return ReadBE16(image + 2); }

// Header checksum of an image (0 for the VQ7140S layout, which has none).
WORD HeaderChecksum(const BYTE* image, ChecksumLayout layout);
// Sum of the len code bytes (from offset 48, or 16 on VQ7140S).
WORD CodeChecksum(const BYTE* image, WORD len, ChecksumLayout layout);
// The header checksum, stored big-endian at 48 + codeLen.
void StoreHeaderChecksum(BYTE* image, WORD codeLen, ChecksumLayout layout);
// The sum of the codeLen code bytes, stored big-endian at 50 + codeLen;
// returns it.
WORD StoreCodeChecksum(BYTE* image, WORD codeLen, ChecksumLayout layout);
// Computes both checksums for the code length in bytes 2..3 and stores them
// at 48 + len (header) and 50 + len (code). Returns the code checksum.
// Does nothing but return the code sum on the VQ7140S layout.
WORD StoreChecksums(BYTE* image, ChecksumLayout layout);
// True when the four bytes at 48 + len hold the header checksum and the code
// checksum for this len (high byte first); *codeSum gets the computed code
// checksum either way. Always true on the VQ7140S layout, which stores none.
bool StoredChecksumsMatch(const BYTE* image, WORD len, ChecksumLayout layout, WORD* codeSum);

// Offset of the code: 16 on the VQ7140S layout, 48 on all others.
inline constexpr std::size_t CodeOffset(ChecksumLayout layout) {
    return layout == ChecksumLayout::VQ7140S ? IMAGE_HEADER16_SIZE : IMAGE_HEADER_SIZE;
}

// VQ7140XX images: option byte 10 bit 2 announces a four-byte BCSH block
// (brightness, contrast, saturation, hue) behind the two checksums. Neither
// checksum covers it.
inline constexpr BYTE OPTION10_BCSH = 0x04;
inline constexpr std::size_t BCSH_SIZE = 4;
inline bool HasBcshBlock(const BYTE* image, ChecksumLayout layout) {
    return layout == ChecksumLayout::VQ7140XX && (image[10] & OPTION10_BCSH) != 0;
}
inline constexpr std::size_t BcshOffset(WORD len) { return IMAGE_HEADER_SIZE + len + 4; }

// Total image length for code length len: 16 + len on VQ7140S, 52 + len
// elsewhere, plus the BCSH block where the image announces one.
inline DWORD ImageLength(const BYTE* image, WORD len, ChecksumLayout layout) {
    if (layout == ChecksumLayout::VQ7140S) return static_cast<DWORD>(IMAGE_HEADER16_SIZE + len);
    return static_cast<DWORD>(IMAGE_HEADER_SIZE + len + 4 + (HasBcshBlock(image, layout) ? BCSH_SIZE : 0));
}
