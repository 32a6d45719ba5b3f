// NAME=VALUE into a change: the errors, and the HDCP key file read as the
// VQ7340 page reads it.
#include "OptionsTestUtil.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

TEST(FieldParse, Errors) {
    struct Case {
        int row;
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {CHIP_ROW_VQ7340, "vid", "expected NAME=VALUE, not 'vid'"},
        {CHIP_ROW_VQ7340, "=12", "expected NAME=VALUE, not '=12'"},
        {CHIP_ROW_VQ7340, "VID=12",
         "unknown field 'VID' for VQ7340/41; its fields: vid, pid, video-string, audio-string, hdcp-key"},
        {CHIP_ROW_VQ7140S, "vid=1", "unknown field 'vid' for VQ7140S/40, which has no fields"},
        {9, "vid=1", "unknown field 'vid': no chip type 9"},
        {CHIP_ROW_VQ7170, "vid=12345", "bad value '12345' for vid: 1 to 4 hex digits, 0000..FFFF"},
        {CHIP_ROW_VQ7170, "vid=", "bad value '' for vid: 1 to 4 hex digits, 0000..FFFF"},
        {CHIP_ROW_VQ7170, "pid=12G4", "bad value '12G4' for pid: 1 to 4 hex digits, 0000..FFFF"},
        {CHIP_ROW_VQ7170, "pid=-1", "bad value '-1' for pid: 1 to 4 hex digits, 0000..FFFF"},
        {CHIP_ROW_VQ7170, "video-string=" + std::string(16, 'a'),
         "bad value '" + std::string(16, 'a') + "' for video-string: up to 15 characters; empty for no string"},
        {CHIP_ROW_VQ7170, "audio-string=\xFF", "bad value '\xFF' for audio-string: up to 15 characters; empty for no string"},
        {CHIP_ROW_VQ7340, "video-string=" + std::string(65, 'a'),
         "bad value '" + std::string(65, 'a') +
             "' for video-string: up to 15 characters (64 in the long layout); empty for no string"},
        {CHIP_ROW_VQ7140XX, "brightness=128", "bad value '128' for brightness: -128..127"},
        {CHIP_ROW_VQ7140XX, "brightness=-129", "bad value '-129' for brightness: -128..127"},
        {CHIP_ROW_VQ7140XX, "contrast=-0x1", "bad value '-0x1' for contrast: 0..255"},
        {CHIP_ROW_VQ7140XX, "contrast=-", "bad value '-' for contrast: 0..255"},
        {CHIP_ROW_VQ7140XX, "saturation=12a", "bad value '12a' for saturation: 0..255"},
        {CHIP_ROW_VQ7140XX, "tv-mode=8", "bad value '8' for tv-mode: one of NTSC_358, NTSC_443, PAL, PAL_M, PAL_NC, "
                                          "SECAM, PAL_60, NO_SIGNAL"},
        {CHIP_ROW_VQ5632, "udisk=2", "bad value '2' for udisk: 0 or 1 (off or on)"},
        {CHIP_ROW_VQ5632, "udisk=yes", "bad value 'yes' for udisk: 0 or 1 (off or on)"},
        {CHIP_ROW_VQ5520, "sdram=32M", "bad value '32M' for sdram: one of 2M, 4M, 8M, 16M, None, Default"},
    };
    for (const Case& c : cases) {
        const ParsedChange parsed = ParseFieldChange(c.row, c.text);
        EXPECT_FALSE(parsed.change) << c.text;
        EXPECT_EQ(parsed.error, c.error);
    }
}

class KeyFile : public ::testing::Test {
protected:
    std::string Write(const std::string& name, std::size_t size) {
        const std::string path = (dir / name).string();
        std::ofstream out(path, std::ios::binary);
        for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>(i * 7 + 1));
        return path;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir = [] {
        std::filesystem::path d = std::filesystem::temp_directory_path() / ("options-key-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
};

TEST_F(KeyFile, ThePageChecksAndTexts) {
    EXPECT_EQ(ParseError(CHIP_ROW_VQ7340, "hdcp-key=" + Write("key.txt", 285)), "File type error!\n");
    EXPECT_EQ(ParseError(CHIP_ROW_VQ7340, "hdcp-key=" + (dir / "none.bin").string()), "fail to open file!\n");
    EXPECT_EQ(ParseError(CHIP_ROW_VQ7340, "hdcp-key=" + Write("short.bin", 284)),
              "Invalid key because the length is 284 not equal to 285!\n");
    EXPECT_EQ(ParseError(CHIP_ROW_VQ7340, "hdcp-key=" + Write("long.bin", 286)),
              "Invalid key because the length is 286 not equal to 285!\n");
    EXPECT_EQ(ParseError(CHIP_ROW_VQ7340, "hdcp-key=" + Write("KEY.BIN", 285)), "");
}

TEST_F(KeyFile, TooSmallABufferIsRefusedUntouched) {
    const ParsedChange key = ParseFieldChange(CHIP_ROW_VQ7340, "hdcp-key=" + Write("key.bin", 285));
    ASSERT_TRUE(key.change);
    TestImage image(0x400, 0xEE);
    WriteChipDefaults(CHIP_ROW_VQ7340, image.View());
    const std::vector<BYTE> before = image.bytes;
    EXPECT_EQ(ApplyFieldChange(CHIP_ROW_VQ7340, image.View(), *key.change), "the image is too small for hdcp-key");
    EXPECT_EQ(image.bytes, before);
}

}  // namespace
