// quillmar-cli read: the memory it reads without --memory, a stored image
// whose checksums do not hold, and where the bytes go: a file written whole
// or not at all, checked before any chip is asked anything, or standard
// output.
#include "CliRun.h"

#include "ImageFormat.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// The names in a folder.
std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// --- the memory read without --memory ------------------------------------------

struct DefaultMemory {
    const char* chip;
    const char* emulate;
    ChecksumLayout layout;
    const char* memory;  // the one the window starts with
    BYTE magic[2];       // its magic, which the download writes
    bool byHeader;       // the read follows the stored header; else it reads 0x30 bytes
};
void PrintTo(const DefaultMemory& c, std::ostream* os) { *os << c.chip; }

class CliReadDefault : public ::testing::TestWithParam<DefaultMemory> {};

// An image downloaded to the memory the window starts with reads back from
// there without --memory. The chip types with one memory type have nothing
// to choose.
TEST_P(CliReadDefault, ReadsTheMemoryTheWindowStartsWith) {
    const DefaultMemory& c = GetParam();
    const std::string dir = TempDir();
    const std::string emulate = std::string(c.emulate) + ":file=" + dir + "/chip.mem";
    std::vector<BYTE> image = ImageFile(c.layout, 300, 4);
    WriteFileBytes(dir + "/image.bin", image);
    const CliResult down = RunCli({"download", dir + "/image.bin", "--chip", c.chip, "--memory", c.memory}, emulate);
    ASSERT_EQ(down.status, 0) << down.err;
    std::copy(c.magic, c.magic + 2, image.begin());
    if (!c.byHeader) image.resize(0x30);

    const CliResult back = RunCli({"read", "--chip", c.chip, "-o", dir + "/back.bin"}, emulate);
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadFileBytes(dir + "/back.bin"), image);
}

INSTANTIATE_TEST_SUITE_P(
    ChipTypesWithSeveralMemories, CliReadDefault,
    ::testing::Values(DefaultMemory{"vq7140xx", "vq7140xx", ChecksumLayout::VQ7140XX, "24c01", {0x08, 0x16}, false},
                      DefaultMemory{"vq7170", "vq7170", ChecksumLayout::VQ7170, "24c01", {0xA5, 0x5A}, true},
                      DefaultMemory{"vq7170s", "vq7170s", ChecksumLayout::VQ7170, "24c01", {0x5A, 0xA5}, true},
                      DefaultMemory{"vq5520", "vq5520:id1", ChecksumLayout::VQ7170, "flash", {0xC3, 0x3C}, true}),
    [](const auto& info) { return std::string(info.param.chip); });

// --- stored checksums that do not hold --------------------------------------------

// Changes one byte of an emulated chip's memory file: of its first EEPROM,
// or of the flash's first sector. The file holds two lines, both EEPROMs
// (2 KB and 8 KB), then each written flash sector behind its number.
void ChangeStoredByte(const std::string& memoryFile, bool flash, std::size_t at) {
    std::vector<BYTE> bytes = ReadFileBytes(memoryFile);
    const auto firstLineEnd = std::find(bytes.begin(), bytes.end(), '\n');
    const auto memories = std::find(firstLineEnd + 1, bytes.end(), '\n') + 1;
    const std::size_t offset = static_cast<std::size_t>(memories - bytes.begin()) + (flash ? 2048 + 8192 + 4 : 0) + at;
    ASSERT_LT(offset, bytes.size());
    bytes[offset] ^= 0x01;
    WriteFileBytes(memoryFile, bytes);
}

struct StoredSums {
    const char* what;
    const char* chip;
    const char* emulate;
    ChecksumLayout layout;  // of an image downloaded first; VQ7140S: none, the chip stays erased
    bool changeCodeByte;    // then one of its code bytes changes on the chip
    std::vector<std::string> readOptions;
    int status;
    const char* text;  // on standard error; {len}: the image's length
};
void PrintTo(const StoredSums& c, std::ostream* os) { *os << c.what; }

class CliStoredSums : public ::testing::TestWithParam<StoredSums> {};

TEST_P(CliStoredSums, ReadByTheHeaderFailsWhereTheSumsDoNotHold) {
    const StoredSums& c = GetParam();
    const std::string dir = TempDir();
    const std::string memory = dir + "/chip.mem";
    const std::string emulate = std::string(c.emulate) + ":file=" + memory;
    const std::vector<BYTE> image = ImageFile(c.layout, 200, 6);
    if (c.layout != ChecksumLayout::VQ7140S) {
        WriteFileBytes(dir + "/image.bin", image);
        ASSERT_EQ(RunCli({"download", dir + "/image.bin", "--chip", c.chip}, emulate).status, 0);
        if (c.changeCodeByte) ChangeStoredByte(memory, c.layout == ChecksumLayout::VQ7340, IMAGE_HEADER_SIZE + 5);
    }
    const std::vector<BYTE> old = {'o', 'l', 'd'};
    WriteFileBytes(dir + "/back.bin", old);
    std::vector<std::string> args = {"read", "--chip", c.chip, "-o", dir + "/back.bin"};
    args.insert(args.end(), c.readOptions.begin(), c.readOptions.end());
    const CliResult r = RunCli(args, emulate);
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::string text = std::regex_replace(c.text, std::regex("\\{len\\}"), std::to_string(image.size()));
    EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
    if (c.status == 0) EXPECT_NE(ReadFileBytes(dir + "/back.bin"), old);
    else EXPECT_EQ(ReadFileBytes(dir + "/back.bin"), old);
}

INSTANTIATE_TEST_SUITE_P(
    HeaderLedReads, CliStoredSums,
    ::testing::Values(
        StoredSums{"erased VQ7170", "vq7170", "vq7170", ChecksumLayout::VQ7140S, false, {}, 1,
                   "quillmar-cli: stored checksums do not hold; read 48 bytes of header only (use --length)\n"},
        StoredSums{"erased VQ5520 flash", "vq5520", "vq5520:id1", ChecksumLayout::VQ7140S, false, {}, 1,
                   "quillmar-cli: stored checksums do not hold; read 52 bytes of header only (use --length)\n"},
        StoredSums{"erased VQ7340", "vq7340", "vq7340:id1", ChecksumLayout::VQ7140S, false, {}, 1,
                   "quillmar-cli: stored checksums do not hold; read 52 bytes of header only (use --length)\n"},
        StoredSums{"VQ7170 code byte changed", "vq7170", "vq7170", ChecksumLayout::VQ7170, true, {}, 1,
                   "quillmar-cli: stored checksums do not hold; read 48 bytes of header only (use --length)\n"},
        StoredSums{"VQ7340 code byte changed", "vq7340", "vq7340:id1", ChecksumLayout::VQ7340, true, {}, 1,
                   "quillmar-cli: stored checksums do not hold; read {len} bytes (use --length)\n"},
        StoredSums{"VQ7340 code byte changed, length given", "vq7340", "vq7340:id1", ChecksumLayout::VQ7340, true,
                   {"--length", "30"}, 0, "Successful!"},
        StoredSums{"erased VQ7170, length given", "vq7170", "vq7170", ChecksumLayout::VQ7140S, false,
                   {"--length", "30"}, 0, "Successful!"},
        StoredSums{"VQ7170 whose sums hold", "vq7170", "vq7170", ChecksumLayout::VQ7170, false, {}, 0, "Successful!"}),
    [](const auto& info) { return TestName(info.param.what); });

// --- where the bytes go --------------------------------------------------------------

// A folder on a file system of 40 KB, seen by this process and its
// children alone: a tmpfs mounted in a mount namespace of the process's
// own. Empty when the process may not mount one (it is no root).
std::string SmallFileSystem() {
    static const bool own = unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    if (!own) return {};
    const std::string dir = TempDir();
    return mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=40k") == 0 ? dir : std::string();
}

struct Destination {
    const char* what;
    const char* output;  // -o; {dir}: the test's folder, which holds old.bin and link.bin (to old.bin)
    int status;
    const char* text;  // on standard error; {dir} as above
    bool replaced;     // old.bin holds the bytes read
};
void PrintTo(const Destination& c, std::ostream* os) { *os << c.what; }

class CliOutput : public ::testing::TestWithParam<Destination> {};

TEST_P(CliOutput, WritesTheWholeFileOrLeavesEverythingAsItWas) {
    const Destination& c = GetParam();
    const std::string dir = TempDir();
    const std::vector<BYTE> old = RandomBytes(8192, 1);
    WriteFileBytes(dir + "/old.bin", old);
    chmod((dir + "/old.bin").c_str(), 0640);
    fs::create_symlink("old.bin", dir + "/link.bin");
    const std::string memory = dir + "/chip.mem";
    const CliResult r = RunCli({"read", "--chip", "vq7340", "--length", "30", "-o", InDir(c.output, dir)},
                               "vq7340:id1:file=" + memory);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(InDir(c.text, dir)), std::string::npos) << r.err;
    // The memory file comes with the attached chip: a path refused before
    // that asked no chip anything.
    const bool attached = c.status != 2;
    EXPECT_EQ(fs::exists(memory), attached);
    const std::vector<BYTE> now = ReadFileBytes(dir + "/old.bin");
    if (c.replaced) {
        ASSERT_EQ(now.size(), 0x30u);
        EXPECT_EQ(std::vector<BYTE>(now.begin() + 12, now.begin() + 16), (std::vector<BYTE>{26, 1, 15, 10}));
    } else {
        EXPECT_EQ(now, old);
    }
    EXPECT_EQ(fs::status(dir + "/old.bin").permissions(), fs::perms(0640));
    EXPECT_TRUE(fs::is_symlink(dir + "/link.bin"));
    std::vector<std::string> expected = {"link.bin", "old.bin"};
    if (attached) expected.insert(expected.begin(), "chip.mem");
    EXPECT_EQ(Listing(dir), expected) << "a file left behind or lost";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CliOutput,
    ::testing::Values(
        Destination{"a folder", "{dir}", 2, "quillmar-cli: Create Bin File fail! ({dir}: is a folder)\n", false},
        Destination{"a missing folder", "{dir}/none/x.bin", 2,
                    "Create Bin File fail! ({dir}/none/x.bin: the folder {dir}/none does not exist)", false},
        Destination{"a file as its folder", "{dir}/old.bin/x.bin", 2,
                    "Create Bin File fail! ({dir}/old.bin/x.bin: Not a directory)", false},
        Destination{"/dev/full", "/dev/full", 2, "Create Bin File fail! (/dev/full: not a regular file)", false},
        Destination{"an existing file", "{dir}/old.bin", 0, "Successful!", true},
        Destination{"a link to an existing file", "{dir}/link.bin", 0, "Successful!", true}),
    [](const auto& info) { return TestName(info.param.what); });

// A file system too small for the bytes read: the read fails and the file
// that stood there stays as it was, with nothing beside it. As root the
// file system is a 40 KB tmpfs; otherwise the child may write no file
// larger than 40 KB.
TEST(CliOutputFull, ExistingFileStaysWhenTheFileSystemFillsUp) {
    std::string dir = SmallFileSystem();
    CliOptions options;
    if (dir.empty()) {
        dir = TempDir();
        options.fileSizeLimit = 40 * 1024;
    }
    const std::vector<BYTE> old = RandomBytes(8192, 2);
    WriteFileBytes(dir + "/old.bin", old);
    const CliResult r = RunCli({"read", "--chip", "vq7340", "--length", "10000", "-o", dir + "/old.bin"}, "vq7340:id1",
                               options);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("quillmar-cli: Create Bin File fail! (" + dir + "/old.bin: "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Successful!"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileBytes(dir + "/old.bin"), old);
    EXPECT_EQ(Listing(dir), std::vector<std::string>{"old.bin"});
}

// -o -: the bytes on standard output, the texts on standard error.
TEST(CliOutputStream, BytesGoToStandardOutput) {
    std::vector<BYTE> expected(0x30, 0xFF);
    std::copy_n(std::vector<BYTE>{26, 1, 15, 10}.begin(), 4, expected.begin() + 12);
    for (const char* quiet : {"", "-q"}) {
        SCOPED_TRACE(quiet);
        std::vector<std::string> args = {"read", "--chip", "vq7170", "--length", "30", "-o", "-"};
        if (*quiet) args.insert(args.begin(), quiet);
        const CliResult r = RunCli(args, "vq7170");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(std::vector<BYTE>(r.out.begin(), r.out.end()), expected);
        EXPECT_EQ(r.err.empty(), *quiet != 0) << r.err;
        if (!*quiet) {
            EXPECT_NE(r.err.find("Reading completed!\nSuccessful!\n"), std::string::npos) << r.err;
        }
    }
}

}  // namespace
