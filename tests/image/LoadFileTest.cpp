// Loading HEX and BIN files through the seven chip programmers, each over an
// image that holds a marker byte everywhere.
#include "ChipPatches.h"
#include "ImageFormat.h"
#include "ImageTestUtil.h"
#include "LoadTestUtil.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace imagetest;

namespace {

struct ChipInfo {
    const char* name;
    ChecksumLayout layout;
    unsigned base;    // HEX code base
    unsigned maxEnd;  // highest accepted HEX end
    std::size_t header;
};

const ChipInfo kChips[CHIP_COUNT] = {
    {"VQ7140S", ChecksumLayout::VQ7140S, 0xC400, 0xD000, 16},
    {"VQ7140XX", ChecksumLayout::VQ7140XX, 0xC800, 0xD400, 48},
    {"VQ7170", ChecksumLayout::VQ7170, 0xCC00, 0xE000, 48},
    {"VQ7170S", ChecksumLayout::VQ7170, 0xCC00, 0xE000, 48},
    {"VQ5520", ChecksumLayout::VQ7170, 0xC830, 0xE800, 48},
    {"VQ7340", ChecksumLayout::VQ7340, 0xF000, 0xFC00, 48},
    {"VQ5632", ChecksumLayout::VQ7340, 0xF000, 0xFC00, 48},
};

constexpr std::size_t WATCHED = 0x30000;  // the image before a load: this many FILL bytes

// A header whose option byte 10 has the BCSH bit clear.
std::vector<BYTE> Header(std::size_t n) {
    auto h = Bytes(n, 0x41);
    h[10] &= static_cast<BYTE>(~OPTION10_BCSH);
    return h;
}

std::vector<BYTE> Concat(std::vector<BYTE> a, const std::vector<BYTE>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A binary image with the given code length and correct checksums.
std::vector<BYTE> BinImage(WORD len, ChecksumLayout layout, std::size_t trailing = 0) {
    auto image = Concat(Header(48), Bytes(len + 4 + trailing, 0x07));
    WriteBE16(image.data() + 2, len);
    StoreChecksums(image.data(), layout);
    return image;
}

class LoadFileTest : public ::testing::Test {
protected:
    RecordingHost host;
    TempDir dir;
    std::vector<BYTE> base = FilledImage(WATCHED);
    LoadResult last;  // of the latest Load

    void SetUp() override { host.SetNow(2026, 3, 6, 14, 30); }

    // Loads the file through chip's programmer over base; true when an image
    // came back.
    bool Load(Chip chip, const std::string& path) {
        last = MakeChipPatch(chip)->LoadFile(path, base);
        return last.image.has_value();
    }

    const Image& Loaded() const { return *last.image; }
    // Bytes of the loaded image as the window holds them.
    std::vector<BYTE> ImageBytes(std::size_t from, std::size_t n) const { return HeldBytes(*last.image, base, from, n); }
    BYTE ImageByte(std::size_t i) const { return HeldByte(*last.image, base, i); }

    // Expects a refusal with this message: no image, no page refresh.
    void ExpectRefused(Chip chip, const std::string& path, const std::string& message) {
        EXPECT_FALSE(Load(chip, path)) << kChips[chip].name << " " << path;
        EXPECT_EQ(last.messages, std::vector<std::string>{message}) << kChips[chip].name << " " << path;
        EXPECT_FALSE(last.refreshPage) << kChips[chip].name << " refreshes its page on refusal of " << path;
    }
};

// --- dialog and file name --------------------------------------------------------

// The window's open dialog takes its title and filter from the chip type.
TEST_F(LoadFileTest, DialogTitleAndFilterPerChip) {
    const char* titles[] = {"Open Patch file!", "Open Patch file!", "Open Patch file!", "Open Patch file!",
                            "Open Patch file!", "Open Firmware file!", "Open Firmware file!"};
    const char* filters[] = {"Patch (*.hex,*.bin)", "Patch (*.hex,*.bin)", "Patch (*.hex,*.bin)",
                             "Patch (*.hex,*.bin)", "Patch (*.hex,*.bin)", "VQ734x_FW (*.hex,*.bin)",
                             "VQ5632_FW (*.hex,*.bin)"};
    for (int c = 0; c < CHIP_COUNT; ++c) {
        EXPECT_STREQ(DescriptorOf(c).load.title, titles[c]) << kChips[c].name;
        EXPECT_STREQ(DescriptorOf(c).load.filterDescription, filters[c]) << kChips[c].name;
    }
}

TEST_F(LoadFileTest, ExtensionDecidesTheReader) {
    const std::string hex = HexOf(0xCBD0, Concat(Header(48), Bytes(32, 1)));
    const auto bin = BinImage(32, ChecksumLayout::VQ7170);
    for (const char* name : {"a.hex", "b.HEX", "c.Hex", "d.bin.hex"}) {
        ASSERT_TRUE(Load(VQ7170, dir.Write(name, hex))) << name;
        EXPECT_EQ(Loaded().length, 32u + 52) << name;
    }
    for (const char* name : {"e.bin", "f.BIN", "g.hex.bIn"}) {
        ASSERT_TRUE(Load(VQ7170, dir.Write(name, bin))) << name;
        EXPECT_EQ(Loaded().length, 32u + 52) << name;
    }
    for (const char* name : {"h.txt", "hexfile", "i.hexx", "j."})
        ExpectRefused(VQ7170, dir.Write(name, hex), "Open file failed!\n");
    std::filesystem::create_directories(dir.path() / "k.hex");
    ExpectRefused(VQ7170, dir / "k.hex/plain", "Open file failed!\n");
}

TEST_F(LoadFileTest, UnopenableFiles) {
    for (int c = 0; c < CHIP_COUNT; ++c) {
        ExpectRefused(Chip(c), dir / "missing.hex", "Open HEX file failed!\n");
        ExpectRefused(Chip(c), dir / "missing.bin", "Open BIN file failed!\n");
    }
    std::filesystem::create_directories(dir.path() / "folder.bin");
    ExpectRefused(VQ7340, dir / "folder.bin", "Open BIN file failed!\n");
}

// --- HEX windows ------------------------------------------------------------------

TEST_F(LoadFileTest, HexEndAddressWindowPerChip) {
    for (int c = 0; c < CHIP_COUNT; ++c) {
        const ChipInfo& chip = kChips[c];
        const auto header = Header(chip.header);
        for (const unsigned end : {chip.base, chip.base + 1, chip.maxEnd}) {
            const WORD len = static_cast<WORD>(end - chip.base);
            const auto code = Bytes(len, 0x55);
            const std::string path = dir.Write("ok.hex", HexOf(chip.base - chip.header, Concat(header, code)));
            ASSERT_TRUE(Load(Chip(c), path)) << chip.name << " end " << end;
            EXPECT_TRUE(last.messages.empty());
            EXPECT_EQ(Loaded().codeLen, len) << chip.name;
            EXPECT_EQ(ImageCodeLength(ImageBytes(0, 4).data()), len) << chip.name;
            EXPECT_EQ(Loaded().length, len + (c == VQ7140S ? 16u : 52u)) << chip.name;
            EXPECT_EQ(ImageBytes(4, 8), std::vector<BYTE>(header.begin() + 4, header.begin() + 12)) << chip.name;
            EXPECT_EQ(ImageBytes(chip.header, len), code) << chip.name;
            WORD sum = 0;
            EXPECT_TRUE(StoredChecksumsMatch(ImageBytes(0, WATCHED).data(), len, chip.layout, &sum)) << chip.name;
            EXPECT_EQ(Loaded().checksum, sum) << chip.name;
            if (len == 0) {
                EXPECT_EQ(Loaded().checksum, 0) << chip.name;
            }
            EXPECT_EQ(last.refreshPage, c != VQ7140S) << chip.name;
        }
        // One byte past the window, and a file ending below the code base.
        const unsigned start = chip.base - chip.header;
        const auto tooLong = Concat(header, Bytes(chip.maxEnd - chip.base + 1, 1));
        const std::vector<BYTE> tooShort(header.begin(), header.end() - 1);
        ExpectRefused(Chip(c), dir.Write("long.hex", HexOf(start, tooLong)), "Not a valid firmware!\n");
        ExpectRefused(Chip(c), dir.Write("short.hex", HexOf(start, tooShort)), "Not a valid firmware!\n");
    }
}

TEST_F(LoadFileTest, VQ7140SEndsAtD000) {
    std::string path = dir.Write("full.hex", HexOf(0xC3F0, Concat(Header(16), Bytes(3072, 9))));
    ASSERT_TRUE(Load(VQ7140S, path));
    EXPECT_EQ(Loaded().codeLen, 3072);
    EXPECT_EQ(Loaded().length, 3088u);
    // No checksum bytes behind the code of a VQ7140S image.
    EXPECT_EQ(ImageBytes(16 + 3072, 4), std::vector<BYTE>(4, FILL));
    ExpectRefused(VQ7140S, dir.Write("over.hex", HexOf(0xC3F0, Concat(Header(16), Bytes(3073, 9)))),
                  "Not a valid firmware!\n");
}

TEST_F(LoadFileTest, VersionStampOnHexLoads) {
    struct Row {
        Chip chip;
        std::vector<BYTE> version;
    };
    const Row rows[] = {
        {VQ7140S, {0x1A, 0x03, 0x06, 0x0E}}, {VQ7140XX, {0x1A, 0x03, 0x06, 0x0E}},
        {VQ7170, {0x1A, 0x03, 0x06, 0x0E}},  {VQ7170S, {0x1A, 0x03, 0x06, 0x0E}},
        {VQ5520, {0x00, 0x1A, 0x03, 0x06}},
        // The header window of the flash chips keeps the file's own version.
        {VQ7340, {Header(48)[12], Header(48)[13], Header(48)[14], Header(48)[15]}},
        {VQ5632, {Header(48)[12], Header(48)[13], Header(48)[14], Header(48)[15]}},
    };
    for (const Row& row : rows) {
        const ChipInfo& chip = kChips[row.chip];
        const std::string path =
            dir.Write("v.hex", HexOf(chip.base - chip.header, Concat(Header(chip.header), Bytes(64, 2))));
        ASSERT_TRUE(Load(row.chip, path)) << chip.name;
        EXPECT_EQ(ImageBytes(12, 4), row.version) << chip.name;
        // The stamp is in place before the header checksum is taken.
        EXPECT_TRUE(StoredChecksumsMatch(ImageBytes(0, 0x100).data(), 64, chip.layout, nullptr)) << chip.name;
    }
}

TEST_F(LoadFileTest, VQ7140XXBcshBlockKeepsImageBytes) {
    auto header = Header(48);
    header[10] |= OPTION10_BCSH;
    // 100 bytes copied: 96 code bytes, the checksums on the last four copied.
    ASSERT_TRUE(Load(VQ7140XX, dir.Write("bcsh.hex", HexOf(0xC7D0, Concat(header, Bytes(100, 3))))));
    EXPECT_EQ(Loaded().codeLen, 96);
    EXPECT_EQ(Loaded().length, 96u + 56);
    EXPECT_TRUE(StoredChecksumsMatch(ImageBytes(0, 0x100).data(), 96, ChecksumLayout::VQ7140XX, nullptr));
    EXPECT_EQ(ImageBytes(BcshOffset(96), 4), std::vector<BYTE>(4, FILL));

    // Fewer than four bytes can't hold the checksums the block displaces.
    ExpectRefused(VQ7140XX, dir.Write("tiny.hex", HexOf(0xC7D0, Concat(header, Bytes(3, 3)))),
                  "Not a valid firmware!\n");
    ASSERT_TRUE(Load(VQ7140XX, dir.Write("four.hex", HexOf(0xC7D0, Concat(header, Bytes(4, 3))))));
    EXPECT_EQ(Loaded().codeLen, 0);
    EXPECT_EQ(Loaded().length, 56u);
}

TEST_F(LoadFileTest, EmptyHexOnFlashChips) {
    for (Chip c : {VQ7340, VQ5632}) {
        ExpectRefused(c, dir.Write("empty.hex", ""), "Not a valid firmware!\n");
        ExpectRefused(c, dir.Write("end.hex", END_RECORD + "\n"), "Not a valid firmware!\n");
    }
}

TEST_F(LoadFileTest, FirmwareFromAddressZeroGetsBuiltHeader) {
    const auto code = Bytes(0xFC00, 0x10);
    ASSERT_FALSE(code[3] == 0xFF && code[4] == 0xFF && code[5] == 0xFF);
    const std::string path = dir.Write("fw.hex", HexOf(0, code));
    for (const auto& [chip, byte8] : {std::pair{VQ7340, BYTE{0x80}}, std::pair{VQ5632, BYTE{0xC0}}}) {
        ASSERT_TRUE(Load(chip, path)) << kChips[chip].name;
        EXPECT_EQ(ImageByte(0), 0x3C);
        EXPECT_EQ(ImageByte(1), 0xC3);
        EXPECT_EQ(ImageCodeLength(ImageBytes(0, 4).data()), 0xFC00);
        EXPECT_EQ(ImageByte(8), byte8);
        EXPECT_EQ(ImageBytes(12, 4), (std::vector<BYTE>{0x1A, 0x03, 0x06, 0x0E}));
        // The other header bytes keep what the image held.
        for (int i : {4, 5, 6, 7, 9, 10, 11, 16, 31, 47}) EXPECT_EQ(ImageByte(i), FILL) << i;
        EXPECT_EQ(ImageBytes(48, code.size()), code);
        EXPECT_EQ(Loaded().codeLen, 0xFC00);
        EXPECT_EQ(Loaded().length, 0xFC00u + 52);
        EXPECT_TRUE(StoredChecksumsMatch(ImageBytes(0, WATCHED).data(), 0xFC00, ChecksumLayout::VQ7340, nullptr));
        EXPECT_TRUE(last.refreshPage);
    }
    ExpectRefused(VQ7340, dir.Write("fw_over.hex", HexOf(0, Bytes(0xFC01, 0x10))), "Not a valid firmware!\n\n");
}

// --- binary files -------------------------------------------------------------------

TEST_F(LoadFileTest, BinSizeLimits) {
    struct Row {
        Chip chip;
        std::size_t limit;
        std::size_t overhead;  // header + checksum bytes
        const char* overflow;
    };
    const Row rows[] = {
        {VQ7140S, 3088, 16, "Length(0xC11) Overflow!!!\n"},
        {VQ7140XX, 3120, 52, "Length(0xC31) Overflow!!!\n"},
        {VQ7170, 5168, 52, "Length(0x1431) Overflow!!!\n"},
    };
    for (const Row& row : rows) {
        auto file = Concat(Header(48), Bytes(row.limit - 48, 0x21));
        ASSERT_TRUE(Load(row.chip, dir.Write("max.bin", file))) << kChips[row.chip].name;
        const WORD len = static_cast<WORD>(row.limit - row.overhead);
        EXPECT_EQ(Loaded().codeLen, len);
        EXPECT_EQ(ImageCodeLength(ImageBytes(0, 4).data()), len);
        EXPECT_EQ(Loaded().length, row.limit);
        EXPECT_TRUE(StoredChecksumsMatch(ImageBytes(0, WATCHED).data(), len, kChips[row.chip].layout, nullptr));
        file.push_back(0);
        ExpectRefused(row.chip, dir.Write("over.bin", file), row.overflow);
    }
}

TEST_F(LoadFileTest, BinSizeIsTheWholeFile) {
    // 65,546 bytes are 65,546 bytes, not 10: over every EEPROM chip's limit.
    const std::string path = dir.Write("wrap.bin", Bytes(65546, 0x33));
    for (Chip c : {VQ7140S, VQ7140XX, VQ7170, VQ7170S}) ExpectRefused(c, path, "Length(0x1000A) Overflow!!!\n");
}

TEST_F(LoadFileTest, VQ7140XXBinWithBcsh) {
    auto file = Concat(Header(48), Bytes(152, 4));
    file[10] |= OPTION10_BCSH;
    ASSERT_TRUE(Load(VQ7140XX, dir.Write("bcsh.bin", file)));
    EXPECT_EQ(Loaded().codeLen, 200 - 56);
    EXPECT_EQ(Loaded().length, 200u);
    EXPECT_TRUE(StoredChecksumsMatch(ImageBytes(0, 0x100).data(), 144, ChecksumLayout::VQ7140XX, nullptr));
    EXPECT_EQ(ImageBytes(196, 4), std::vector<BYTE>(file.begin() + 196, file.end()));  // BCSH bytes as filed
}

TEST_F(LoadFileTest, RecomputeVersusVerify) {
    auto good = BinImage(100, ChecksumLayout::VQ7170);
    auto bad = good;
    bad[48 + 100 + 3] ^= 0x01;  // code checksum low byte
    const std::string goodPath = dir.Write("good.bin", good), badPath = dir.Write("bad.bin", bad);
    const WORD codeSum = CodeChecksum(good.data(), 100, ChecksumLayout::VQ7170);

    // VQ7170 recomputes: the wrong checksum is overwritten; the file's version stays.
    ASSERT_TRUE(Load(VQ7170, badPath));
    EXPECT_EQ(ImageBytes(0, good.size()), good);
    EXPECT_EQ(Loaded().checksum, codeSum);
    EXPECT_EQ(Loaded().length, 152u);  // 52 + len, trailing bytes not counted

    for (Chip c : {VQ7170S, VQ5520}) {
        // A refused file leaves nothing of itself behind.
        ExpectRefused(c, badPath, "Check SUM failed!\n");

        ASSERT_TRUE(Load(c, goodPath)) << kChips[c].name;
        EXPECT_EQ(ImageBytes(0, good.size()), good);
        EXPECT_EQ(Loaded().length, good.size());
        EXPECT_EQ(Loaded().codeLen, 100);
        EXPECT_EQ(Loaded().checksum, codeSum);
        EXPECT_TRUE(last.refreshPage);
    }
}

TEST_F(LoadFileTest, VQ5520RefusesCodeLengthBelow52) {
    const auto file = BinImage(51, ChecksumLayout::VQ7170);
    ExpectRefused(VQ5520, dir.Write("short.bin", file), "Open file failed!\n");
    EXPECT_TRUE(Load(VQ5520, dir.Write("ok.bin", BinImage(52, ChecksumLayout::VQ7170))));
}

TEST_F(LoadFileTest, FlashCodeLengthLimits) {
    struct Row {
        BYTE byte8;
        WORD len;
        const char* refusal;  // nullptr: loads
    };
    const Row rows[] = {
        {0x80, 0xFC00, nullptr}, {0x80, 0xFC01, "Length(0xFC01) Overflow!!!\n"},
        {0xFF, 0xFFFF, "Length(0xFFFF) Overflow!!!\n"}, {0x00, 0x0C00, nullptr},
        {0x7F, 0x0C01, "Length(0xC01) Overflow!!!\n"},
    };
    for (Chip c : {VQ7340, VQ5632}) {
        for (const Row& row : rows) {
            // Long enough for the checksums a loaded length places.
            auto file = Concat(Header(48), Bytes(row.refusal ? 64 : row.len + 4, 5));
            WriteBE16(file.data() + 2, row.len);
            file[8] = row.byte8;
            const std::string path = dir.Write("fw.bin", file);
            if (row.refusal) {
                ExpectRefused(c, path, row.refusal);
                continue;
            }
            ASSERT_TRUE(Load(c, path)) << kChips[c].name << " len " << row.len;
            EXPECT_EQ(Loaded().codeLen, row.len);
            EXPECT_EQ(Loaded().length, file.size());
            EXPECT_TRUE(StoredChecksumsMatch(ImageBytes(0, WATCHED).data(), row.len, ChecksumLayout::VQ7340, nullptr));
            EXPECT_EQ(ImageBytes(12, 4), std::vector<BYTE>(file.begin() + 12, file.begin() + 16));  // not stamped
            EXPECT_TRUE(last.refreshPage);
        }
    }
}

TEST_F(LoadFileTest, FlashEepromImageCopiesItsOwnBytes) {
    auto file = BinImage(0x20, ChecksumLayout::VQ7340, 30);
    file[8] = 0x00;
    ASSERT_TRUE(Load(VQ7340, dir.Write("ee.bin", file)));
    EXPECT_EQ(ImageBytes(0, 48 + 0x20), std::vector<BYTE>(file.begin(), file.begin() + 48 + 0x20));
    // The whole file, as with bit 7 set: nothing of the previous image shows.
    EXPECT_EQ(ImageBytes(52 + 0x20, 30), std::vector<BYTE>(file.begin() + 52 + 0x20, file.end()));
    EXPECT_EQ(Loaded().length, file.size());
    EXPECT_TRUE(StoredChecksumsMatch(ImageBytes(0, 0x100).data(), 0x20, ChecksumLayout::VQ7340, nullptr));

    file[8] = 0x80;  // flash code: the whole file
    ASSERT_TRUE(Load(VQ7340, dir.Write("flash.bin", file)));
    EXPECT_EQ(ImageBytes(52 + 0x20, 30), std::vector<BYTE>(file.begin() + 52 + 0x20, file.end()));
}

TEST_F(LoadFileTest, FlashTinyFilesStayInBounds) {
    for (std::size_t size : {0, 1, 3, 9, 51}) {
        // Shorter than a header with its checksums: no image at all.
        std::vector<BYTE> file(size, 0);
        if (size > 0) file[0] = 0x3C;
        ExpectRefused(VQ5632, dir.Write("tiny.bin", file), "Open file failed!\n");
    }
}

class LargeFileTest : public LoadFileTest {
protected:
    void SetUp() override {
        LoadFileTest::SetUp();
        base = FilledImage(IMAGE_BUFFER_SIZE);
    }
    // A sparse 20 MB file starting with the given bytes.
    std::string Sparse(const std::vector<BYTE>& head) {
        const std::string path = dir.Write("big.bin", head);
        std::filesystem::resize_file(path, 20u << 20);
        return path;
    }
};

TEST_F(LargeFileTest, VQ7340LoadsFirst16MB) {
    auto head = BinImage(0x100, ChecksumLayout::VQ7340);
    head[8] = 0x80;
    ASSERT_TRUE(Load(VQ7340, Sparse(head)));
    EXPECT_EQ(last.messages, std::vector<std::string>{"File Length: 20.00M Overflow, only load 16M !!!\n"});
    EXPECT_EQ(Loaded().length, IMAGE_BUFFER_SIZE);
    EXPECT_EQ(ImageByte(IMAGE_BUFFER_SIZE - 1), 0);  // read from the file
    EXPECT_EQ(Loaded().codeLen, 0x100);
}

TEST_F(LargeFileTest, VQ5520LoadsFirst16MB) {
    ASSERT_TRUE(Load(VQ5520, Sparse(BinImage(0x100, ChecksumLayout::VQ7170))));
    EXPECT_EQ(last.messages, std::vector<std::string>{"Length(0x1400000) Overflow, only load (16.000000 M)!!!\n"});
    EXPECT_EQ(Loaded().length, IMAGE_BUFFER_SIZE);
    EXPECT_EQ(ImageByte(IMAGE_BUFFER_SIZE - 1), 0);
    EXPECT_EQ(Loaded().codeLen, 0x100);
}

TEST_F(LargeFileTest, EepromChipsTakeTheWholeSize) {
    // 20 MB is a multiple of 65536, which once passed for an empty file.
    const std::string path = Sparse(BinImage(0x100, ChecksumLayout::VQ7170));
    ExpectRefused(VQ7170S, path, "Length(0x1400000) Overflow!!!\n");
    ExpectRefused(VQ7170, path, "Length(0x1400000) Overflow!!!\n");
}

}  // namespace
