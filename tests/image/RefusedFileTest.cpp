// Binary and HEX files that can't hold the image they describe are refused:
// no image comes back; those at the edge of a limit load whole, over an
// image that keeps what the file does not write.
#include "ChipPatches.h"
#include "ImageFormat.h"
#include "ImageTestUtil.h"
#include "LoadTestUtil.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

using namespace imagetest;

namespace {

constexpr std::size_t WATCHED = 0x20000;  // the image before a load: this many FILL bytes

// An image of `size` bytes whose header announces codeLen, with option
// bytes 8 and 10 given and both checksums of the layout stored where codeLen
// places them (when they fit).
std::vector<BYTE> File(std::size_t size, WORD codeLen, ChecksumLayout layout, BYTE byte8 = 0x80, BYTE byte10 = 0) {
    std::vector<BYTE> file = Bytes(size, 0x31);
    if (size >= 11) {
        file[8] = byte8;
        file[10] = byte10;
    }
    if (size >= 4) WriteBE16(file.data() + 2, codeLen);
    if (size >= IMAGE_HEADER_SIZE + codeLen + 4u) StoreChecksums(file.data(), layout);
    return file;
}

struct Case {
    const char* what;
    Chip chip;
    const char* name;                            // file name in the temporary folder
    std::function<std::vector<BYTE>()> bytes;    // file contents
    const char* refusal;                         // nullptr: the file loads
    WORD codeLen = 0;                            // loaded: the code length
};

constexpr auto L7140XX = ChecksumLayout::VQ7140XX;
constexpr auto L7170 = ChecksumLayout::VQ7170;
constexpr auto L7340 = ChecksumLayout::VQ7340;

const Case kCases[] = {
    // The real size decides, not the size modulo 65536.
    {"68,536 bytes over VQ7140S's 3,088", VQ7140S, "big.bin", [] { return Bytes(68536, 1); },
     "Length(0x10BB8) Overflow!!!\n"},
    {"65,546 bytes over VQ7140XX's 3,120", VQ7140XX, "big.bin", [] { return Bytes(65546, 1); },
     "Length(0x1000A) Overflow!!!\n"},
    {"65,546 bytes over VQ7170's 5,168", VQ7170, "big.bin", [] { return Bytes(65546, 1); },
     "Length(0x1000A) Overflow!!!\n"},
    {"65,537 bytes over VQ7170S's 64 KB", VQ7170S, "big.bin", [] { return File(65537, 0x100, L7170); },
     "Length(0x10001) Overflow!!!\n"},
    {"65,536 bytes load whole on VQ7170S", VQ7170S, "full.bin", [] { return File(65536, 0x100, L7170); }, nullptr,
     0x100},
    // Shorter than the header.
    {"15 bytes on VQ7140S", VQ7140S, "short.bin", [] { return Bytes(15, 1); }, "Open file failed!\n"},
    {"16 bytes on VQ7140S: no code", VQ7140S, "hdr.bin", [] { return File(16, 0, ChecksumLayout::VQ7140S); }, nullptr,
     0},
    {"51 bytes on VQ7140XX", VQ7140XX, "short.bin", [] { return File(51, 0, L7140XX); }, "Open file failed!\n"},
    {"55 bytes on VQ7140XX with a BCSH block", VQ7140XX, "short.bin",
     [] { return File(55, 0, L7140XX, 0, OPTION10_BCSH); }, "Open file failed!\n"},
    {"56 bytes on VQ7140XX with a BCSH block: no code", VQ7140XX, "bcsh.bin",
     [] { return File(56, 0, L7140XX, 0, OPTION10_BCSH); }, nullptr, 0},
    {"51 bytes on VQ7170", VQ7170, "short.bin", [] { return File(51, 0, L7170); }, "Open file failed!\n"},
    {"3 bytes on VQ7340", VQ7340, "short.bin", [] { return Bytes(3, 0); }, "Open file failed!\n"},
    // Shorter than the checksums its code length places.
    {"VQ7170S one byte short of its sums", VQ7170S, "cut.bin", [] { return File(52 + 100 - 1, 100, L7170); },
     "Open file failed!\n"},
    {"VQ7170S exactly up to its sums", VQ7170S, "exact.bin", [] { return File(52 + 100, 100, L7170); }, nullptr,
     100},
    {"VQ5520 one byte short of its sums", VQ5520, "cut.bin", [] { return File(52 + 100 - 1, 100, L7170); },
     "Open file failed!\n"},
    {"VQ7340 flash code one byte short", VQ7340, "cut.bin", [] { return File(52 + 0x100 - 1, 0x100, L7340); },
     "Open file failed!\n"},
    {"VQ5632 EEPROM code one byte short", VQ5632, "cut.bin", [] { return File(52 + 0x20 - 1, 0x20, L7340, 0); },
     "Open file failed!\n"},
    // Refused after reading: nothing of the file stays.
    {"VQ7170S with a wrong code sum", VQ7170S, "sum.bin",
     [] {
         auto f = File(152, 100, L7170);
         f[151] ^= 1;
         return f;
     },
     "Check SUM failed!\n"},
    {"VQ5520 with a wrong header sum", VQ5520, "sum.bin",
     [] {
         auto f = File(152, 100, L7170);
         f[148] ^= 1;
         return f;
     },
     "Check SUM failed!\n"},
    {"VQ5520 with a code length below 52", VQ5520, "len.bin", [] { return File(52 + 51, 51, L7170); },
     "Open file failed!\n"},
    // EEPROM code of a flash chip: the whole file, not just 52 + len.
    {"VQ7340 EEPROM code with bytes behind it", VQ7340, "ee.bin", [] { return File(300, 0x20, L7340, 0); }, nullptr,
     0x20},
    {"VQ5632 EEPROM code with bytes behind it", VQ5632, "ee.bin", [] { return File(300, 0x20, L7340, 0x40); },
     nullptr, 0x20},
    // HEX: a BCSH block needs four code bytes to give up for the sums.
    {"VQ7140XX HEX with a BCSH block and 3 code bytes", VQ7140XX, "bcsh.hex",
     [] {
         auto h = File(48, 0, L7140XX, 0, OPTION10_BCSH);
         h.resize(48 + 3, 0x22);
         const std::string text = HexOf(0xC7D0, h);
         return std::vector<BYTE>(text.begin(), text.end());
     },
     "Not a valid firmware!\n"},
};

class RefusedFileTest : public ::testing::Test {
protected:
    RecordingHost host;
    TempDir dir;
    const std::vector<BYTE> base = FilledImage(WATCHED);
    LoadResult last;  // of the latest Load

    bool Load(Chip chip, const std::string& path) {
        last = MakeChipPatch(chip)->LoadFile(path, base);
        return last.image.has_value();
    }
};

TEST_F(RefusedFileTest, StateBeforeAndAfter) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const std::vector<BYTE> file = c.bytes();
        const std::string path = dir.Write(c.name, file);
        const bool loaded = Load(c.chip, path);
        if (c.refusal) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(last.messages, std::vector<std::string>{c.refusal});
            EXPECT_FALSE(last.refreshPage);
            continue;
        }
        ASSERT_TRUE(loaded) << (last.messages.empty() ? "" : last.messages[0]);
        const Image& image = *last.image;
        const std::vector<BYTE> held = HeldBytes(image, base, 0, file.size() + 1);
        EXPECT_TRUE(last.messages.empty());
        EXPECT_EQ(image.codeLen, c.codeLen);
        EXPECT_EQ(image.length, file.size());
        // The file's bytes up to its checksums, which the loader may rewrite.
        const std::size_t kept = std::min<std::size_t>(file.size(), c.chip == VQ7140S ? 16 + c.codeLen : 48 + c.codeLen);
        EXPECT_TRUE(std::equal(file.begin(), file.begin() + kept, held.begin()));
        if (file.size() > kept + 4u) {
            EXPECT_TRUE(std::equal(file.begin() + kept + 4, file.end(), held.begin() + kept + 4)) << "bytes behind the sums";
        }
        EXPECT_EQ(held[file.size()], FILL);
    }
}

// A FIFO or a device node is no file to load: refused at once with the
// open-failed message of its extension, never waiting for a writer.
TEST_F(RefusedFileTest, OnlyRegularFilesAreOpened) {
    const std::string fifoBin = dir / "fifo.bin", fifoHex = dir / "fifo.hex";
    ASSERT_EQ(mkfifo(fifoBin.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(fifoHex.c_str(), 0600), 0);
    const std::string nodeBin = dir / "null.bin";
    std::filesystem::create_symlink("/dev/null", nodeBin);
    const struct {
        std::string path;
        const char* message;
    } rows[] = {{fifoBin, "Open BIN file failed!\n"}, {fifoHex, "Open HEX file failed!\n"}, {nodeBin, "Open BIN file failed!\n"}};
    for (const auto& row : rows) {
        for (Chip chip : {VQ7140S, VQ7170S, VQ5520, VQ7340}) {
            SCOPED_TRACE(row.path);
            EXPECT_FALSE(Load(chip, row.path));
            EXPECT_EQ(last.messages, std::vector<std::string>{row.message});
        }
    }
}

}  // namespace
