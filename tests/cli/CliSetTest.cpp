// --set and --hdcp-key: what a download writes reaches the chip, and the
// image read back from it shows the field's new value with sums that hold.
#include "CliRun.h"

#include "ImageFormat.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

const std::string EXAMPLES = QUILLMAR_SOURCE_DIR "/examples/";

struct SetCase {
    const char* kind;
    const char* chip;
    const char* sample;
    std::vector<std::string> options;
    const char* shown;  // the line `info` prints for the field afterwards
    std::vector<std::string> readOptions = {};  // --memory where the image's magic is not the default, --length
};
void PrintTo(const SetCase& c, std::ostream* os) { *os << c.kind; }

class CliSet : public ::testing::TestWithParam<SetCase> {};

TEST_P(CliSet, DownloadedFieldReadsBackFromTheChip) {
    const SetCase& c = GetParam();
    const std::string dir = TempDir();
    const std::string emulate = std::string(c.chip) + ":file=" + dir + "/chip.mem";
    std::string image = EXAMPLES + c.sample;
    if (std::string(c.kind) == "key file") {
        image = dir + "/long.bin";  // long enough to carry the key at 0x310
        WriteFileBytes(image, ImageFile(ChecksumLayout::VQ7340, 0x400, 7));
        WriteFileBytes(dir + "/key.bin", RandomBytes(285, 9));
    }
    std::vector<std::string> download = {"download", image, "--chip", c.chip};
    for (const std::string& o : c.options) download.push_back(o == "KEY" ? dir + "/key.bin" : o);
    const CliResult down = RunCli(download, emulate);
    ASSERT_EQ(down.status, 0) << down.err;
    std::vector<std::string> read = {"read", "--chip", c.chip, "-o", dir + "/back.bin"};
    read.insert(read.end(), c.readOptions.begin(), c.readOptions.end());
    const CliResult back = RunCli(read, emulate);
    ASSERT_EQ(back.status, 0) << back.err;
    const CliResult info = RunCli({"info", dir + "/back.bin", "--chip", c.chip}, "");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find(c.shown), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("checksums: hold"), std::string::npos) << info.out;
    if (std::string(c.kind) == "key file") {
        const std::vector<BYTE> chip = ReadFileBytes(dir + "/back.bin");
        const std::vector<BYTE> key = ReadFileBytes(dir + "/key.bin");
        ASSERT_GE(chip.size(), 0x310u + 285);
        EXPECT_TRUE(std::equal(key.begin(), key.end(), chip.begin() + 0x310));
        EXPECT_EQ(down.out.find(reinterpret_cast<const char*>(key.data()), 0, 8), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    OnePerKind, CliSet,
    ::testing::Values(SetCase{"hex pair", "vq7340", "vq7340.hex", {"--set", "vid=1a2b"}, "vid = 1A2B", {"--memory", "flash"}},
                      SetCase{"string", "vq7170s", "vq7170s.bin", {"--set", "video-string=Cam 2"}, "video-string = Cam 2"},
                      SetCase{"number", "vq7140xx", "vq7140xx.hex", {"--set", "brightness=-5"}, "brightness = -5",
                              {"--length", "78"}},
                      SetCase{"flag", "vq5632", "vq5632.bin", {"--set", "udisk=on"}, "udisk = 1", {"--memory", "flash"}},
                      SetCase{"choice", "vq5520", "vq5520.bin", {"--set", "sdram=8m"}, "sdram = 8M", {"--memory", "flash"}},
                      SetCase{"key file", "vq7340", "", {"--hdcp-key", "KEY"}, "hdcp-key = present", {"--memory", "flash"}}),
    [](const auto& info) {
        std::string name = info.param.kind;
        for (char& ch : name) ch = ch == ' ' ? '_' : ch;
        return name;
    });

}  // namespace
