// The sample images of examples/: each loads in its own chip type as Open
// File loads it, its checksums hold, and it is still what the option pages'
// defaults give.
#include "AppTestEnv.h"
#include "ChipTypes.h"
#include "ImageFormat.h"
#include "LoadFile.h"
#include "RecordingHost.h"
#include "SampleImages.h"
#include "VQPatch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace samples;

namespace {

std::string SamplePath(int row) { return std::string(QUILLMAR_EXAMPLES_DIR) + "/" + SAMPLE_FORMATS[row].file; }

std::string ReadSample(int row) {
    std::ifstream in(SamplePath(row), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class SamplesTest : public ::testing::TestWithParam<int>, public WithTestApplication {
protected:
    RecordingHost host;
};

TEST_P(SamplesTest, LoadsInItsChipTypeWithItsChecksums) {
    const int row = GetParam();
    const SampleFormat& f = SAMPLE_FORMATS[row];
    host.SetNow(2026, 12, 7, 15, 0);

    const LoadResult loaded = LoadImage(SamplePath(row), row);
    EXPECT_EQ(loaded.messages, std::vector<std::string>{});
    ASSERT_TRUE(loaded) << loaded.reason;
    const Image& image = *loaded.image;

    const std::vector<BYTE> code = SampleCode(row);
    ASSERT_EQ(image.codeLen, code.size());
    const BYTE* bytes = image.bytes.data();
    EXPECT_EQ(ImageCodeLength(bytes), code.size());
    const std::size_t at = CodeOffset(f.layout);
    EXPECT_EQ(std::vector<BYTE>(bytes + at, bytes + at + code.size()), code);
    EXPECT_EQ(image.length, at + code.size() + (f.layout == ChecksumLayout::VQ7140S ? 0 : 4));

    WORD codeSum = 0;
    EXPECT_TRUE(StoredChecksumsMatch(bytes, image.codeLen, f.layout, &codeSum));
    EXPECT_EQ(codeSum, ByteSum16(code.data(), code.size()));
    EXPECT_EQ(image.checksum, codeSum);
}

// The file is what the defaults give today, and a HEX file's records sum
// to zero, as other tools check. (A binary image's stored sums are those
// StoreChecksums writes.)
TEST_P(SamplesTest, IsWhatTheDefaultsGiveToday) {
    const int row = GetParam();
    const std::string text = ReadSample(row);
    EXPECT_EQ(text, SampleFileContents(row, DefaultImageHead(row)))
        << SAMPLE_FORMATS[row].file << " is out of date: run scripts/make-samples.sh";
    if (!SAMPLE_FORMATS[row].hex) return;
    std::istringstream lines(text);
    std::string line, last;
    for (; std::getline(lines, line); last = line) {
        ASSERT_GE(line.size(), 11u) << line;
        ASSERT_EQ(line[0], ':') << line;
        unsigned sum = 0;
        for (std::size_t i = 1; i + 1 < line.size(); i += 2) sum += std::stoul(line.substr(i, 2), nullptr, 16);
        EXPECT_EQ(sum & 0xFF, 0u) << line;
    }
    EXPECT_EQ(last, ":00000001FF");
}

INSTANTIATE_TEST_SUITE_P(EveryChipType, SamplesTest, ::testing::Range(0, CHIP_TYPE_ROWS),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(CHIP_TYPES[info.param].shortName);
                         });

}  // namespace
