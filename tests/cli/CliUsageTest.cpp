// Values a script may hand quillmar-cli by mistake: empty ones (an unset
// variable), lengths at their bounds, characters a chip can't show, files
// that can't be loaded. Each is refused with exit status 2 and a message
// that names what is wrong, and, where the value is checked before the
// chips are attached, no chip is asked anything.
#include "CliRun.h"

#include "TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace {

const std::string EXAMPLES = QUILLMAR_SOURCE_DIR "/examples/";

struct Refusal {
    const char* what;
    std::vector<std::string> args;  // {dir}: the test's folder, which holds image.hex
    const char* text;               // on standard error
    bool chipsAttached;             // refused only after the emulated chips were attached
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.what; }

class CliRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(CliRefusal, ExitsWithStatus2AndNamesTheValue) {
    const Refusal& c = GetParam();
    const std::string dir = TempDir();
    std::filesystem::copy_file(EXAMPLES + "vq7340.hex", dir + "/image.hex");
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(InDir(a, dir));
    const std::string memory = dir + "/chip.mem";
    const CliResult r = RunCli(args, "vq7340:id1:file=" + memory);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find(InDir(c.text, dir)), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("ing......"), std::string::npos) << "a job started: " << r.err;
    // An emulated chip keeps its memory file from the moment it is attached.
    EXPECT_EQ(std::filesystem::exists(memory), c.chipsAttached);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CliRefusal,
    ::testing::Values(
        Refusal{"empty chip type", {"read", "--chip", "", "-o", "{dir}/x.bin"}, "--chip: empty value", false},
        Refusal{"empty chip type of list", {"list", "--chip", ""}, "--chip: empty value", false},
        Refusal{"empty memory type", {"read", "--chip", "vq7340", "--memory", "", "-o", "{dir}/x.bin"},
                "--memory: empty value", false},
        Refusal{"empty read length", {"read", "--chip", "vq7340", "--length", "", "-o", "{dir}/x.bin"},
                "--length: empty value", false},
        Refusal{"empty device", {"read", "--chip", "vq7340", "--device", "", "-o", "{dir}/x.bin"},
                "--device: empty value", false},
        Refusal{"empty second device", {"download", "{dir}/image.hex", "--chip", "vq7340", "-d", "emu:1", "-d", ""},
                "--device: empty value", false},
        Refusal{"empty output", {"read", "--chip", "vq7340", "-o", ""}, "--output: empty value", false},
        Refusal{"empty key file", {"download", "{dir}/image.hex", "--chip", "vq7340", "--hdcp-key", ""},
                "--hdcp-key: empty value", false},
        Refusal{"empty key folder", {"download", "{dir}/image.hex", "--chip", "vq7340", "--hdcp-key-dir", ""},
                "--hdcp-key-dir: empty value", false},
        Refusal{"empty setting", {"download", "{dir}/image.hex", "--chip", "vq7340", "--set", ""},
                "--set: empty value", false},
        Refusal{"empty image file", {"download", "", "--chip", "vq7340"}, "file: empty value", false},
        Refusal{"read length 0", {"read", "--chip", "vq7340", "--length", "0", "-o", "{dir}/x.bin"},
                "read length '0' is not a hexadecimal number from 1 to 1000000", false},
        Refusal{"read length 0x0", {"read", "--chip", "vq7340", "--length", "0x0", "-o", "{dir}/x.bin"},
                "read length '0x0'", false},
        Refusal{"string of Chinese characters", {"download", "{dir}/image.hex", "--chip", "vq7340", "--set",
                "video-string=\xE7\x94\xBB\xE7\x94\xBB"},
                "video-string: the chip shows printable ASCII characters only; byte 1 of the value is not ASCII", true},
        Refusal{"string with a tab", {"download", "{dir}/image.hex", "--chip", "vq7340", "--set", "audio-string=a\tb"},
                "audio-string: the chip shows printable ASCII characters only; byte 2 of the value is a control "
                "character", true},
        Refusal{"string with DEL", {"download", "{dir}/image.hex", "--chip", "vq7340", "--set", "audio-string=ab\x7F"},
                "byte 3 of the value is a control character", true},
        Refusal{"bytes to standard output beside JSON events", {"--json", "read", "--chip", "vq7340", "-o", "-"},
                "-o - writes the bytes where --json writes its events", true}),
    [](const auto& info) { return TestName(info.param.what); });

// A file Open File refuses: the window's text once, then the path and why.
struct RefusedFile {
    const char* what;
    const char* file;  // in the test's folder
    const char* windowText;
    const char* reason;
};
void PrintTo(const RefusedFile& c, std::ostream* os) { *os << c.what; }

class CliRefusedFile : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(CliRefusedFile, NamesThePathAndTheReasonAfterTheWindowsText) {
    const RefusedFile& c = GetParam();
    const std::string dir = TempDir();
    std::filesystem::create_directory(dir + "/folder.bin");
    WriteFileBytes(dir + "/empty.bin", {});
    WriteFileBytes(dir + "/big.bin", std::vector<BYTE>(0x1431, 0));
    WriteFileBytes(dir + "/image.txt", {1, 2, 3});
    const std::string path = dir + "/" + c.file;
    const CliResult r = RunCli({"download", path, "--chip", "vq7170"}, "vq7170");
    EXPECT_EQ(r.status, 2);
    const std::string expected =
        std::string("quillmar-cli: ") + c.windowText + "\nquillmar-cli: " + path + ": " + c.reason + "\n";
    EXPECT_EQ(r.err, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, CliRefusedFile,
    ::testing::Values(RefusedFile{"missing", "none.bin", "Open BIN file failed!", "no such file"},
                      RefusedFile{"missing HEX", "none.hex", "Open HEX file failed!", "no such file"},
                      RefusedFile{"folder", "folder.bin", "Open BIN file failed!", "a folder"},
                      RefusedFile{"empty", "empty.bin", "Open file failed!", "empty"},
                      RefusedFile{"too large", "big.bin", "Length(0x1431) Overflow!!!", "too large: 5169 bytes, at most 5168"},
                      RefusedFile{"no image type", "image.txt", "Open file failed!", "not a .hex or .bin file"}),
    [](const auto& info) { return TestName(info.param.what); });

// The read length at its bounds: 1 byte up to the 16 MB a read holds.
TEST(CliReadLength, FromOneByteTo16MB) {
    const struct {
        const char* length;
        int status;
        std::size_t bytes;  // in the file written
    } cases[] = {
        {"0", 2, 0}, {"1", 0, 1}, {"0x30", 0, 48}, {"1000000", 0, 0x1000000}, {"1000001", 2, 0}, {"100000000", 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string dir = TempDir();
        const CliResult r = RunCli({"read", "--chip", "vq7340", "--length", c.length, "-o", dir + "/x.bin"}, "vq7340:id1");
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(std::filesystem::exists(dir + "/x.bin"), c.status == 0);
        if (c.status == 0) EXPECT_EQ(std::filesystem::file_size(dir + "/x.bin"), c.bytes);
        else EXPECT_NE(r.err.find(std::string("read length '") + c.length + "'"), std::string::npos) << r.err;
    }
}

}  // namespace
