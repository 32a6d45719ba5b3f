// The field table on an Image: it reads and writes an image whose bytes end
// early exactly as it does the window's image, whose buffer goes on with 0
// to 16 MB; and reading changes nothing of the image read.
#include "OptionsTestUtil.h"

#include "ImageFormat.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>

namespace {

// The window's image: the whole buffer, 5A A5 and then 0 where nothing was
// written.
struct Window {
    std::vector<BYTE> bytes = std::vector<BYTE>(IMAGE_BUFFER_SIZE, 0);
    DWORD length = 2;
    WORD codeLen = 0;
    WORD checksum = 0;
    Window() { bytes[0] = 0x5A, bytes[1] = 0xA5; }
    ImageView View() { return {bytes.data(), bytes.size(), length, codeLen, checksum}; }
};

// A fresh image of the tool for row.
Image FreshImage(int row) {
    Image image;
    image.row = row;
    return image;
}

// A key file of the right size, for hdcp-key, while it lives.
class KeyFile {
public:
    KeyFile() {
        std::string name = "quillmar-image-value-" + std::to_string(::getpid()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
        for (char& c : name) c = c == '/' ? '_' : c;
        path_ = std::filesystem::temp_directory_path() / name;
        std::ofstream out(path_, std::ios::binary);
        for (std::size_t i = 0; i < HDCP_KEY_SIZE; ++i) out.put(static_cast<char>(i * 5 + 3));
    }
    ~KeyFile() { std::filesystem::remove(path_); }
    KeyFile(const KeyFile&) = delete;
    KeyFile& operator=(const KeyFile&) = delete;

    // text with its KEY replaced by the file's path.
    std::string In(std::string text) const {
        const std::size_t at = text.find("KEY");
        if (at != std::string::npos) text.replace(at, 3, path_.string());
        return text;
    }

private:
    std::filesystem::path path_;
};

void ExpectSameReadings(int row, Image& image, Window& window) {
    for (const ImageField& f : ChipFields(row)) {
        const FieldReading a = ReadField(static_cast<const Image&>(image), f), b = ReadField(window.View(), f);
        EXPECT_EQ(a.text, b.text) << f.name;
        EXPECT_EQ(a.present, b.present) << f.name;
    }
}

// What a case does to both images before its changes (code length,
// long-layout marker and the like).
using Prepare = std::function<void(const ImageView&)>;

struct Case {
    const char* what;
    int row;
    Prepare prepare;  // may be empty
    std::vector<std::string> changes;  // NAME=VALUE, one after the other
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

// Code of len bytes behind the header, and the image as long as that makes it.
Prepare Code(WORD len, bool longLayoutMarker = false) {
    return [=](const ImageView& v) {
        WriteBE16(v.bytes + 2, len);
        v.codeLen = len;
        v.length = static_cast<DWORD>(IMAGE_HEADER_SIZE + len + 4);
        if (longLayoutMarker) std::fill(v.bytes + LONG_STRING_MARKER, v.bytes + LONG_STRING_MARKER + LONG_STRING_MARKER_SIZE, 0xFF);
    };
}

const Case kCases[] = {
    {"VQ7140XX options and its BCSH block", CHIP_ROW_VQ7140XX, nullptr,
     {"vid=12ab", "save-bcsh=1", "brightness=-5", "tv-mode=pal", "stereo=on", "video-string=Cam"}},
    {"VQ7140XX with 0x2000 code bytes: the BCSH block lies past every field", CHIP_ROW_VQ7140XX, Code(0x2000),
     {"save-bcsh=1", "contrast=7", "hue=-128"}},
    {"VQ7170 strings and ids", CHIP_ROW_VQ7170, nullptr, {"video-string=Cam", "audio-string=", "pid=1", "vid=BEEF"}},
    {"VQ7170S", CHIP_ROW_VQ7170S, Code(0x30), {"audio-string=\xC3\xA9", "vid=0"}},
    {"VQ5520", CHIP_ROW_VQ5520, nullptr, {"sdram=16m", "product=123456789012345", "video-mode=fixed", "udisk=1"}},
    {"VQ7340 short layout and a key", CHIP_ROW_VQ7340, nullptr, {"video-string=V", "hdcp-key=KEY"}},
    {"VQ7340 long layout: strings far behind the header", CHIP_ROW_VQ7340, Code(0x1000, true),
     {"video-string=" + std::string(40, 'v'), "audio-string=" + std::string(64, 'a'), "hdcp-key=KEY"}},
    {"VQ7340 long-layout marker without code: short layout", CHIP_ROW_VQ7340, Code(0, true),
     {"video-string=" + std::string(15, 'v')}},
    {"VQ5632", CHIP_ROW_VQ5632, Code(0x10), {"udisk=0"}},
};

class ImageValueTest : public ::testing::TestWithParam<Case> {};

// Defaults, then each change in turn: both images the same afterwards, byte
// for byte, with the same numbers and the same readings.
TEST_P(ImageValueTest, ChangesAsOnTheWindowsImage) {
    const Case& c = GetParam();
    Image image = FreshImage(c.row);
    Window window;
    WriteChipDefaults(c.row, ViewOf(image));
    WriteChipDefaults(c.row, window.View());
    if (c.prepare) {
        c.prepare(ViewOf(image));
        c.prepare(window.View());
    }
    const KeyFile key;
    for (const std::string& change : c.changes) {
        const std::string text = key.In(change);
        SCOPED_TRACE(text.substr(0, 40));
        const ParsedChange parsed = ParseFieldChange(c.row, text);
        ASSERT_TRUE(parsed.change) << parsed.error;
        const std::string onWindow = ApplyFieldChange(c.row, window.View(), *parsed.change);
        EXPECT_EQ(onWindow, "");
        EXPECT_EQ(ApplyFieldChange(image, *parsed.change), onWindow);
        EXPECT_EQ(image.length, window.length);
        EXPECT_EQ(image.codeLen, window.codeLen);
        EXPECT_EQ(image.checksum, window.checksum);
        EXPECT_GE(image.bytes.size(), image.length);
        std::size_t differ = 0;
        for (std::size_t i = 0; i < 0x3000; ++i) differ += image.bytes.At(i) != window.bytes[i];
        EXPECT_EQ(differ, 0u) << "bytes differ from the window's image";
        ExpectSameReadings(c.row, image, window);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryChipType, ImageValueTest, ::testing::ValuesIn(kCases));

// Reading an image whose bytes end before its fields do reads what the
// window's image would hold, and leaves the image as it is: its bytes
// neither grow nor change. So does reading one whose bytes reach exactly as
// far as its fields (FieldsReach) and one byte short of that.
TEST(ImageValue, ReadingLeavesTheImageAsItIs) {
    for (int row = 0; row < CHIP_TYPE_ROWS; ++row) {
        for (const WORD codeLen : {WORD{0}, WORD{0x1000}}) {
            const std::size_t reach = FieldsReach(row, codeLen);
            for (const std::size_t size : {std::size_t{2}, std::size_t{52}, reach - 1, reach}) {
                SCOPED_TRACE(::testing::Message() << "row " << row << ", code " << codeLen << ", " << size << " bytes");
                Window window;
                for (std::size_t i = 0; i < 0x1100; ++i) window.bytes[i] = static_cast<BYTE>(i * 3 + (i >> 8));
                // The long-layout marker, for the rows whose strings have a long layout.
                std::fill(window.bytes.begin() + LONG_STRING_MARKER,
                          window.bytes.begin() + LONG_STRING_MARKER + LONG_STRING_MARKER_SIZE, 0xFF);
                window.codeLen = codeLen;
                window.length = static_cast<DWORD>(std::min<std::size_t>(size, 52));
                // The image holds the first size bytes; past them, the window has 0.
                std::fill(window.bytes.begin() + static_cast<std::ptrdiff_t>(size), window.bytes.begin() + 0x1100, 0);
                Image image = FreshImage(row);
                image.bytes = ImageBytes(std::span<const BYTE>(window.bytes.data(), size));
                image.length = window.length;
                image.codeLen = codeLen;
                const ImageBytes before = image.bytes;

                ExpectSameReadings(row, image, window);
                ASSERT_EQ(image.bytes.size(), size);
                EXPECT_TRUE(std::equal(before.data(), before.data() + size, image.bytes.data()));
            }
        }
    }
}

// An image grows as far as its fields reach; the window's buffer is that
// long already. A key file needs its bytes in the image: a view of the
// image always has them, unlike a short buffer.
TEST(ImageValue, AKeyFitsAFreshImage) {
    const KeyFile file;
    const ParsedChange key = ParseFieldChange(CHIP_ROW_VQ7340, file.In("hdcp-key=KEY"));
    ASSERT_TRUE(key.change) << key.error;
    Image image = FreshImage(CHIP_ROW_VQ7340);
    WriteChipDefaults(CHIP_ROW_VQ7340, ViewOf(image));
    EXPECT_EQ(ApplyFieldChange(image, *key.change), "");
    ASSERT_GE(image.bytes.size(), HDCP_KEY_OFFSET + HDCP_KEY_SIZE);
    EXPECT_TRUE(std::equal(key.change->bytes.begin(), key.change->bytes.end(), image.bytes.data() + HDCP_KEY_OFFSET,
                           [](char a, BYTE b) { return static_cast<BYTE>(a) == b; }));
}

}  // namespace
