// quillmar-cli verify: the chip compared with the image, one chip or
// several, and nothing written: the emulated chips' memory files stay as
// they were, byte for byte.
#include "CliRun.h"

#include "ImageFormat.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

namespace {

// "Verify error! 3 bytes differ, the first at 0x100: chip 12, image 34" for
// a chip that holds held and an image verified; empty when they are equal.
std::string Expected(const std::vector<BYTE>& held, const std::vector<BYTE>& image, bool hidden) {
    std::size_t first = 0, count = 0;
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (held[i] == image[i]) continue;
        if (count++ == 0) first = i;
    }
    if (count == 0) return {};
    char text[160];
    std::snprintf(text, sizeof text, "Verify error! %zu byte%s differ%s, the first at 0x%zX", count,
                  count == 1 ? "" : "s", count == 1 ? "s" : "", first);
    std::string expected = text;
    if (hidden) return expected + " (HDCP key: values hidden)";
    std::snprintf(text, sizeof text, ": chip %02X, image %02X", held[first], image[first]);
    return expected + text;
}

struct VerifyCase {
    const char* what;
    const char* emulate;
    const char* chip;
    ChecksumLayout layout;
    WORD len;                           // code bytes
    std::vector<std::size_t> changed;  // image bytes that differ from the chip's (the sums follow)
    bool hidden;                        // the first difference lies in the HDCP key
};
void PrintTo(const VerifyCase& c, std::ostream* os) { *os << c.what; }

class CliVerify : public ::testing::TestWithParam<VerifyCase> {};

TEST_P(CliVerify, NamesTheFirstDifferenceAndWritesNothing) {
    const VerifyCase& c = GetParam();
    const std::string dir = TempDir();
    const std::string emulate = std::string(c.emulate) + ":file=" + dir + "/chip.mem";
    const std::vector<BYTE> held = ImageFile(c.layout, c.len, 41);
    WriteFileBytes(dir + "/held.bin", held);
    ASSERT_EQ(RunCli({"download", dir + "/held.bin", "--chip", c.chip, "-q"}, emulate).status, 0);
    std::vector<BYTE> image = held;
    for (std::size_t at : c.changed) image[at] ^= 0x5A;
    StoreChecksums(image.data(), c.layout);
    WriteFileBytes(dir + "/image.bin", image);
    const std::vector<BYTE> before = ReadFileBytes(dir + "/chip.mem");

    const CliResult r = RunCli({"verify", dir + "/image.bin", "--chip", c.chip}, emulate);
    const std::string expected = Expected(held, image, c.hidden);
    if (expected.empty()) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("Verifying......"), std::string::npos) << r.err;
    } else {
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("quillmar-cli: " + expected + "\n"), std::string::npos) << expected << "\n" << r.err;
    }
    EXPECT_EQ(ReadFileBytes(dir + "/chip.mem"), before) << "the verify wrote to the chip";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliVerify,
    ::testing::Values(VerifyCase{"equal flash bulk", "vq7340:id1", "vq7340", ChecksumLayout::VQ7340, 0x800, {}, false},
                      VerifyCase{"one code byte on flash", "vq7340:id1", "vq7340", ChecksumLayout::VQ7340, 0x800, {0x100}, false},
                      VerifyCase{"bytes near the end, streamed flash", "vq7340", "vq7340", ChecksumLayout::VQ7340, 0x800,
                                 {0x820, 0x600}, false},
                      VerifyCase{"the HDCP key area", "vq7340:id1", "vq7340", ChecksumLayout::VQ7340, 0x800, {0x310, 0x42C}, true},
                      VerifyCase{"before the HDCP key area", "vq7340:id1", "vq7340", ChecksumLayout::VQ7340, 0x800, {0x30F, 0x310}, false},
                      VerifyCase{"after the HDCP key area", "vq7340:id1", "vq7340", ChecksumLayout::VQ7340, 0x800, {0x42D}, false},
                      VerifyCase{"the key area of a type without a key", "vq5632:id1", "vq5632", ChecksumLayout::VQ7340, 0x800, {0x310}, false},
                      VerifyCase{"equal EEPROM", "vq7170", "vq7170", ChecksumLayout::VQ7170, 0x300, {}, false},
                      VerifyCase{"an EEPROM header byte", "vq7170", "vq7170", ChecksumLayout::VQ7170, 0x300, {0x10}, false}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

// Three chips at once, the second holding another image: it alone fails,
// with its difference; no memory file changes.
TEST(CliVerifyMany, EveryChipIsComparedAndTheOddOneNamed) {
    const std::string dir = TempDir();
    std::string emulate;
    for (int i = 1; i <= 3; ++i) emulate += std::string(i > 1 ? "," : "") + "vq7340:id1:file=" + dir + "/" + std::to_string(i) + ".mem";
    const std::vector<BYTE> image = ImageFile(ChecksumLayout::VQ7340, 0x400, 7);
    std::vector<BYTE> other = image;
    other[0x200] ^= 1;
    StoreChecksums(other.data(), ChecksumLayout::VQ7340);
    WriteFileBytes(dir + "/image.bin", image);
    WriteFileBytes(dir + "/other.bin", other);
    ASSERT_EQ(RunCli({"download", dir + "/image.bin", "--chip", "vq7340", "--all", "-q"}, emulate).status, 0);
    ASSERT_EQ(RunCli({"download", dir + "/other.bin", "--chip", "vq7340", "-d", "emu:2", "-q"}, emulate).status, 0);
    std::vector<std::vector<BYTE>> before;
    for (int i = 1; i <= 3; ++i) before.push_back(ReadFileBytes(dir + "/" + std::to_string(i) + ".mem"));

    const CliResult r = RunCli({"verify", dir + "/image.bin", "--chip", "vq7340", "--all"}, emulate);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("1 of 3 devices failed"), std::string::npos) << r.err;
    EXPECT_TRUE(std::regex_search(r.err, std::regex("emu:2 +FAILED: " + std::regex_replace(Expected(other, image, false),
                                                                                            std::regex("[.!()]"), "\\$&"))))
        << r.err;
    const CliResult two = RunCli({"verify", dir + "/image.bin", "--chip", "vq7340", "-d", "emu:1", "-d", "emu:3"}, emulate);
    EXPECT_EQ(two.status, 0) << two.err;
    EXPECT_NE(two.err.find("2 devices equal to the image"), std::string::npos) << two.err;
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(ReadFileBytes(dir + "/" + std::to_string(i) + ".mem"), before[i - 1]) << i;
}

}  // namespace
