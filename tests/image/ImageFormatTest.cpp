// Header and code checksums per chip layout.
#include "ImageFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<BYTE> Image(WORD len) {
    std::vector<BYTE> image(IMAGE_HEADER_SIZE + len + 8, 0);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<BYTE>(i * 13 + 1);
    WriteBE16(image.data() + 2, len);
    image[10] &= static_cast<BYTE>(~OPTION10_BCSH);
    return image;
}

// Which header bytes each layout's header checksum covers.
TEST(Checksums, HeaderCoveragePerLayout) {
    struct Row {
        ChecksumLayout layout;
        const char* name;
        std::vector<int> covered;  // header offsets 0..47 that count
    };
    auto range = [](int from, int to) {
        std::vector<int> v;
        for (int i = from; i <= to; ++i) v.push_back(i);
        return v;
    };
    auto join = [](std::vector<int> a, const std::vector<int>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Row rows[] = {
        {ChecksumLayout::VQ7140S, "VQ7140S", {}},
        {ChecksumLayout::VQ7140XX, "VQ7140XX", join(range(2, 10), range(16, 47))},
        {ChecksumLayout::VQ7170, "VQ7170", range(2, 47)},
        {ChecksumLayout::VQ7340, "VQ7340", join(range(2, 11), range(16, 47))},
    };
    for (const Row& row : rows) {
        for (int offset = 0; offset < 48; ++offset) {
            auto image = Image(8);
            const WORD before = HeaderChecksum(image.data(), row.layout);
            const WORD codeBefore = CodeChecksum(image.data(), 8, row.layout);
            image[offset] = static_cast<BYTE>(image[offset] + 1);
            const bool covered = std::find(row.covered.begin(), row.covered.end(), offset) != row.covered.end();
            EXPECT_EQ(HeaderChecksum(image.data(), row.layout) != before, covered) << row.name << " byte " << offset;
            if (static_cast<std::size_t>(offset) < CodeOffset(row.layout)) {
                EXPECT_EQ(CodeChecksum(image.data(), 8, row.layout), codeBefore) << row.name << " byte " << offset;
            }
        }
    }
}

TEST(Checksums, SumsWrapAt16Bits) {
    std::vector<BYTE> image(IMAGE_HEADER_SIZE + 0x300 + 4, 0xFF);
    WriteBE16(image.data() + 2, 0x300);
    EXPECT_EQ(CodeChecksum(image.data(), 0x300, ChecksumLayout::VQ7170), static_cast<WORD>(0x300 * 0xFF));
    EXPECT_EQ(CodeChecksum(image.data(), 0x300, ChecksumLayout::VQ7140S), static_cast<WORD>(0x300 * 0xFF));
}

TEST(Checksums, StoredBigEndianBehindTheCode) {
    for (WORD len : {WORD{0}, WORD{5}}) {
        auto image = Image(len);
        const WORD code = StoreChecksums(image.data(), ChecksumLayout::VQ7170);
        EXPECT_EQ(code, CodeChecksum(image.data(), len, ChecksumLayout::VQ7170));
        if (len == 0) {
            EXPECT_EQ(code, 0);
        }
        EXPECT_EQ(ReadBE16(image.data() + 48 + len), HeaderChecksum(image.data(), ChecksumLayout::VQ7170));
        EXPECT_EQ(ReadBE16(image.data() + 50 + len), code);
        WORD sum = 0;
        EXPECT_TRUE(StoredChecksumsMatch(image.data(), len, ChecksumLayout::VQ7170, &sum));
        EXPECT_EQ(sum, code);
        for (int k = 0; k < 4; ++k) {  // each of the four stored bytes is compared
            auto bad = image;
            bad[48 + len + k] ^= 1;
            EXPECT_FALSE(StoredChecksumsMatch(bad.data(), len, ChecksumLayout::VQ7170, &sum)) << k;
        }
    }
}

TEST(Checksums, VQ7140SStoresNothing) {
    auto image = Image(4);
    const auto before = image;
    EXPECT_EQ(StoreChecksums(image.data(), ChecksumLayout::VQ7140S),
              static_cast<WORD>(image[16] + image[17] + image[18] + image[19]));
    EXPECT_EQ(image, before);
}

TEST(ImageLayout, BcshBlockOnlyOnVQ7140XX) {
    auto image = Image(10);
    EXPECT_EQ(ImageLength(image.data(), 10, ChecksumLayout::VQ7140XX), 62u);
    image[10] |= OPTION10_BCSH;
    EXPECT_EQ(ImageLength(image.data(), 10, ChecksumLayout::VQ7140XX), 66u);
    EXPECT_EQ(BcshOffset(10), 62u);  // right behind the two checksums
    EXPECT_EQ(ImageLength(image.data(), 10, ChecksumLayout::VQ7170), 62u);
    EXPECT_EQ(ImageLength(image.data(), 10, ChecksumLayout::VQ7140S), 26u);
    EXPECT_EQ(ImageLength(image.data(), 0, ChecksumLayout::VQ7340), 52u);
}

}  // namespace
