// Every field of every chip type: its default, a set, the value read back,
// the bytes written and the checksums behind them. (The rules between fields,
// the BCSH block, odd bytes and the VQ7340 long layout: the option pages'
// tests, whose pages change the image through this table.)
#include "OptionsTestUtil.h"

#include "ImageFormat.h"

#include <algorithm>
#include <utility>

namespace {

struct FieldCase {
    const char* name;
    const char* defaultText;
    const char* set;       // NAME=VALUE
    const char* readBack;
    std::size_t offset;    // where the written bytes start
    const char* bytes;     // what the image holds there afterwards
    DWORD length = 52;     // image length afterwards
    const char* block = "";  // VQ7140XX: the BCSH block at 52 afterwards
};

// Applies each case to a fresh default image of row and checks that only
// the case's bytes and the checksums changed, and that both checksums are
// right for the image.
void CheckFields(int row, std::initializer_list<FieldCase> cases, std::size_t fieldCount) {
    EXPECT_EQ(ChipFields(row).size(), fieldCount);
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.set);
        TestImage image(0x2000, 0xEE);
        WriteChipDefaults(row, image.View());
        EXPECT_EQ(Read(image, row, c.name), c.defaultText);
        EXPECT_EQ(FieldDefault(row, ChipField(row, c.name)).text, c.defaultText);
        std::vector<BYTE> expected = image.bytes;
        const std::vector<BYTE> bytes = Hex(c.bytes);
        std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<std::ptrdiff_t>(c.offset));
        const std::vector<BYTE> block = Hex(c.block);
        std::copy(block.begin(), block.end(), expected.begin() + 52);

        Set(row, image, c.set);
        EXPECT_EQ(Read(image, row, c.name), c.readBack);
        EXPECT_EQ(image.length, c.length);
        const ChecksumLayout layout = ChipLayout(row);
        EXPECT_EQ(ReadBE16(&image.bytes[48]), HeaderChecksum(image.bytes.data(), layout));
        EXPECT_EQ(ReadBE16(&image.bytes[50]), 0);  // no code
        std::copy(image.bytes.begin() + 48, image.bytes.begin() + 52, expected.begin() + 48);
        EXPECT_EQ(image.bytes, expected);
    }
}

TEST(FieldTable, VQ7140SHasNoFieldsAndAHeaderOf16Bytes) {
    TestImage image(0x100, 0xEE);
    image.codeLen = 9;
    image.checksum = 9;
    WriteChipDefaults(CHIP_ROW_VQ7140S, image.View());
    EXPECT_TRUE(ChipFields(CHIP_ROW_VQ7140S).empty());
    EXPECT_EQ(image.length, 16u);
    EXPECT_EQ(image.codeLen, 0);
    EXPECT_EQ(image.checksum, 0);
    // Bytes 10..11 keep what they held; nothing behind the header is written.
    EXPECT_EQ(std::vector<BYTE>(image.bytes.begin(), image.bytes.begin() + 17),
              Hex("5A A5 00 00 FF FF FF FF FF FF EE EE 00 00 00 00 EE"));
}

TEST(FieldTable, VQ7140XX) {
    // Default: 08 16 00 00 FF FF FF FF 00 FF 01 7F 00 00 00 00.
    CheckFields(CHIP_ROW_VQ7140XX,
                {
                    {"vid", "FFFF", "vid=12ab", "12AB", 4, "12 AB"},
                    {"pid", "FFFF", "pid=1", "0001", 6, "00 01"},
                    {"video-string", "", "video-string=Cam", "Cam", 16, "04 43 61 6D"},
                    {"audio-string", "", "audio-string=USB Audio", "USB Audio", 32, "0A 55 53 42 20 41 75 64 69 6F"},
                    {"av-port", "1", "av-port=0", "0", 9, "FE"},
                    {"sv-port", "1", "sv-port=off", "0", 9, "FD"},
                    {"audio", "1", "audio=0", "0", 10, "00"},
                    {"stereo", "0", "stereo=on", "1", 10, "03"},
                    {"save-bcsh", "0", "save-bcsh=1", "1", 10, "05", 56, "00 80 80 00"},
                    {"brightness", "0", "brightness=-5", "-5", 10, "05", 56, "FB 80 80 00"},
                    {"contrast", "128", "contrast=255", "255", 10, "05", 56, "00 FF 80 00"},
                    {"saturation", "128", "saturation=0", "0", 10, "05", 56, "00 80 00 00"},
                    {"hue", "0", "hue=127", "127", 10, "05", 56, "00 80 80 7F"},
                    {"mute-pattern", "Pure black", "mute-pattern=b&w-random", "B&W random", 10, "E1"},
                    {"default-input", "AV", "default-input=sv", "SV", 11, "FF"},
                    {"tv-mode", "NO_SIGNAL", "tv-mode=pal", "PAL", 11, "02"},
                },
                16);
}

TEST(FieldTable, VQ7170AndVQ7170S) {
    for (int row : {CHIP_ROW_VQ7170, CHIP_ROW_VQ7170S}) {
        SCOPED_TRACE(row);
        CheckFields(row,
                    {
                        {"vid", "FFFF", "vid=BEEF", "BEEF", 6, "BE EF"},
                        {"pid", "FFFF", "pid=0", "0000", 8, "00 00"},
                        {"video-string", "", "video-string=", "", 16, "FF"},
                        {"audio-string", "", "audio-string=\xC3\xA9", "\xC3\xA9", 32, "02 E9"},
                    },
                    4);
        TestImage image;
        WriteChipDefaults(row, image.View());
        EXPECT_EQ(std::vector<BYTE>(image.bytes.begin() + 48, image.bytes.begin() + 52), Hex("25 DA 00 00"));
    }
}

TEST(FieldTable, VQ5520) {
    // Default: C3 3C 00 00 00 00 FF FF FF FF FF FF 00 00 00 00.
    CheckFields(CHIP_ROW_VQ5520,
                {
                    {"sdram", "Default", "sdram=16m", "16M", 10, "03"},
                    {"udisk", "0", "udisk=1", "1", 5, "01"},
                    {"vid", "FFFF", "vid=abcd", "ABCD", 6, "AB CD"},
                    {"pid", "FFFF", "pid=FFF", "0FFF", 8, "0F FF"},
                    {"manufacturer", "", "manufacturer=Quill", "Quill", 16, "06 51 75 69 6C 6C"},
                    {"product", "", "product=123456789012345", "123456789012345", 32,
                     "10 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35"},
                    {"video-mode", "gpio", "video-mode=fixed", "fixed", 11, "EF"},
                    {"tv-standard", "PAL", "tv-standard=ntsc", "NTSC", 11, "FE"},
                    {"dvo-format", "dvo_8bit_bt1120", "dvo-format=DVO_8BIT_BT601", "dvo_8bit_bt601", 11, "F3"},
                },
                9);
    // What `fields` lists for them.
    for (const auto& [name, kind] : {std::pair{"sdram", "choice"}, {"udisk", "flag"}, {"vid", "hex pair"}, {"product", "string"}})
        EXPECT_EQ(FieldKindName(ChipField(CHIP_ROW_VQ5520, name).kind), std::string(kind)) << name;
    EXPECT_EQ(AllowedValues(ChipField(CHIP_ROW_VQ5520, "sdram")), "one of 2M, 4M, 8M, 16M, None, Default");
}

TEST(FieldTable, VQ7340) {
    // Default: 3C C3 00 00 FF FF FF FF 00 00 00 00 00 00 00 00.
    CheckFields(CHIP_ROW_VQ7340,
                {
                    {"vid", "FFFF", "vid=0BDA", "0BDA", 4, "0B DA"},
                    {"pid", "FFFF", "pid=5520", "5520", 6, "55 20"},
                    {"video-string", "", "video-string=V", "V", 16, "02 56"},
                    {"audio-string", "", "audio-string=A", "A", 32, "02 41"},
                },
                5);
    TestImage image;
    WriteChipDefaults(CHIP_ROW_VQ7340, image.View());
    EXPECT_EQ(Read(image, CHIP_ROW_VQ7340, "hdcp-key"), "absent");
    EXPECT_EQ(AllowedValues(ChipField(CHIP_ROW_VQ7340, "hdcp-key")), "the path of a .bin file of exactly 285 bytes");
    EXPECT_EQ(std::vector<BYTE>(image.bytes.begin() + 48, image.bytes.begin() + 52), Hex("23 DC 00 00"));
}

TEST(FieldTable, VQ5632) {
    CheckFields(CHIP_ROW_VQ5632, {{"udisk", "1", "udisk=0", "0", 8, "00"}}, 1);
}

}  // namespace
