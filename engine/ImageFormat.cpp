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
