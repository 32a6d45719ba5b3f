#include "ImageFormat.h"

WORD ByteSum16(const BYTE* p, std::size_t n) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += p[i];
    return static_cast<WORD>(sum);
}

WORD HeaderChecksum(const BYTE* image, ChecksumLayout layout) {
    switch (layout) {
    case ChecksumLayout::VQ7140S:
        return 0;
    case ChecksumLayout::VQ7140XX:
        return static_cast<WORD>(ByteSum16(image + 2, 9) + ByteSum16(image + 16, 32));
    case ChecksumLayout::VQ7170:
        return ByteSum16(image + 2, 46);
    case ChecksumLayout::VQ7340:
        return static_cast<WORD>(ByteSum16(image + 2, 10) + ByteSum16(image + 16, 32));
    }
    return 0;
}

WORD CodeChecksum(const BYTE* image, WORD len, ChecksumLayout layout) {
    return ByteSum16(image + CodeOffset(layout), len);
}

void StoreHeaderChecksum(BYTE* image, WORD codeLen, ChecksumLayout layout) {
    WriteBE16(image + IMAGE_HEADER_SIZE + codeLen, HeaderChecksum(image, layout));
}

WORD StoreCodeChecksum(BYTE* image, WORD codeLen, ChecksumLayout layout) {
    const WORD sum = CodeChecksum(image, codeLen, layout);
    WriteBE16(image + IMAGE_HEADER_SIZE + codeLen + 2, sum);
    return sum;
}

WORD StoreChecksums(BYTE* image, ChecksumLayout layout) {
    const WORD len = ImageCodeLength(image);
    if (layout == ChecksumLayout::VQ7140S) return CodeChecksum(image, len, layout);
    StoreHeaderChecksum(image, len, layout);
    return StoreCodeChecksum(image, len, layout);
}

bool StoredChecksumsMatch(const BYTE* image, WORD len, ChecksumLayout layout, WORD* codeSum) {
    const WORD code = CodeChecksum(image, len, layout);
    if (codeSum) *codeSum = code;
    if (layout == ChecksumLayout::VQ7140S) return true;
    const BYTE* stored = image + IMAGE_HEADER_SIZE + len;
    return ReadBE16(stored) == HeaderChecksum(image, layout) && ReadBE16(stored + 2) == code;
}

BYTE MagicMemoryType(const MemoryTypeMagic& magic, const BYTE* image) {
    const BYTE b0 = image[0], b1 = image[1];
    if (magic.hasType4 && b0 == magic.type4[0] && b1 == magic.type4[1]) return MEMTYPE_FLASH;
    if (magic.hasType2 && b0 == magic.type2[0] && b1 == magic.type2[1]) return MEMTYPE_24C32_64;
    return MEMTYPE_24C01_16;
}

void SetMagicMemoryType(const MemoryTypeMagic& magic, BYTE* image, BYTE memType) {
    const BYTE* bytes = nullptr;
    if (memType == MEMTYPE_24C01_16 || magic.single) bytes = magic.type1;
    else if (memType == MEMTYPE_24C32_64 && magic.hasType2) bytes = magic.type2;
    else if (memType == MEMTYPE_FLASH && magic.hasType4) bytes = magic.type4;
    if (!bytes) return;
    image[0] = bytes[0];
    image[1] = bytes[1];
}
