// The page rules as pure functions: the hex-edit scan and check, the string
// field in its short and long layouts, the default image.
#include "PageRules.h"

#include "Emulator.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

using emu::Bytes;

TEST(HexEditRule, ScanAndCheck) {
    struct Case {
        const char16_t* text;
        DWORD value;
        bool upperValid;  // '0'..'9', 'A'..'F' only
        bool anyValid;    // lower-case letters too
    };
    const Case cases[] = {
        {u"12", 0x12, true, true},
        {u"", 0, true, true},
        {u"FFFF", 0xFFFF, true, true},
        {u"12G4", 0x12, false, false},          // the scan stops at G
        {u"-1", 0xFFFFFFFF, false, false},      // negated, wraps
        {u"FFFFFFFF", 0xFFFFFFFF, true, true},  // the reset text of -1
        {u"ab", 0xAB, false, true},
        {u"ff00", 0xFF00, false, true},
        {u"G", 0, false, false},
        {u"-", 0, false, false},
        {u"+5", 5, false, false},
        {u" 12", 0x12, false, false},           // leading blanks are skipped by the scan only
        {u"0x1F", 0x1F, false, false},
        {u"0xG", 0, false, false},
        {u"123456789", 0x23456789, true, true},  // wraps at 32 bits
        {u"1FF", 0x1FF, true, true},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const HexEditScan upper = ScanHexEdit(text);
        EXPECT_EQ(upper.value, c.value) << text.toStdString();
        EXPECT_EQ(upper.valid, c.upperValid) << text.toStdString();
        const HexEditScan any = ScanHexEdit(text, HexDigits::AnyCase);
        EXPECT_EQ(any.value, c.value) << text.toStdString();
        EXPECT_EQ(any.valid, c.anyValid) << text.toStdString();
    }
    EXPECT_EQ(HexText(0xFFFFFFFF), QStringLiteral("FFFFFFFF"));
    EXPECT_EQ(HexText(0x12), QStringLiteral("12"));
    EXPECT_EQ(HexText(0), QStringLiteral("0"));
    const BYTE pair[2] = {0x01, 0xAB};
    EXPECT_EQ(HexPairText(pair), QStringLiteral("01AB"));
}

// A 0x100-byte image filled with FF, with the field at offset 16.
std::vector<BYTE> FfImage() { return std::vector<BYTE>(0x100, 0xFF); }

std::vector<BYTE> Slice(const std::vector<BYTE>& v, std::size_t from, std::size_t n) {
    return {v.begin() + static_cast<std::ptrdiff_t>(from), v.begin() + static_cast<std::ptrdiff_t>(from + n)};
}

TEST(StringField, EncodeKeepsTheBytesBehindTheString) {
    const StringFieldLayout field = ShortStringField(16);
    std::vector<BYTE> image = FfImage();
    EncodeStringField(image.data(), field, true, QStringLiteral("USB Video"));
    EXPECT_EQ(Slice(image, 16, 16), Bytes("0A 55 53 42 20 56 69 64 65 6F FF FF FF FF FF FF"));
    EncodeStringField(image.data(), field, true, QStringLiteral("USB"));
    EXPECT_EQ(Slice(image, 16, 16), Bytes("04 55 53 42 20 56 69 64 65 6F FF FF FF FF FF FF"));
    EncodeStringField(image.data(), field, true, QString());
    EXPECT_EQ(Slice(image, 16, 16), Bytes("01 55 53 42 20 56 69 64 65 6F FF FF FF FF FF FF"));
    EncodeStringField(image.data(), field, false, QStringLiteral("ignored"));
    EXPECT_EQ(Slice(image, 16, 16), std::vector<BYTE>(16, 0xFF));
    // Only the low byte of a character is kept.
    EncodeStringField(image.data(), field, true, QString::fromUtf16(u"\u4E2D\u00E9"));
    EXPECT_EQ(Slice(image, 16, 3), Bytes("03 2D E9"));
    // Nothing around the field is touched.
    EXPECT_EQ(image[15], 0xFF);
    EXPECT_EQ(image[32], 0xFF);
}

TEST(StringField, TooLongATextStaysInsideItsField) {
    std::vector<BYTE> image(0x100, 0x00);
    EncodeStringField(image.data(), ShortStringField(16), true, QString(20, QLatin1Char('x')));
    EXPECT_EQ(image[16], 16);
    EXPECT_EQ(image[31], 'x');
    EXPECT_EQ(image[32], 0x00);
}

TEST(StringField, DecodeByLengthByte) {
    struct Case {
        BYTE length;
        bool present;
        int chars;
    };
    const Case cases[] = {{0x00, true, 0}, {0x01, true, 0}, {0x02, true, 1}, {0x10, true, 15},
                          {0x11, false, 0}, {0x7F, false, 0}, {0xFF, false, 0}};
    std::vector<BYTE> image(0x100, 'a');
    for (const Case& c : cases) {
        image[32] = c.length;
        const StringFieldValue v = DecodeStringField(image.data(), ShortStringField(32));
        EXPECT_EQ(v.present, c.present) << int(c.length);
        EXPECT_EQ(v.text, QString(c.chars, QLatin1Char('a'))) << int(c.length);
    }
    // Bytes above 0x7F come back as the characters of those codes.
    image[16] = 0x03;
    image[17] = 0xE9;
    image[18] = 0x41;
    EXPECT_EQ(DecodeStringField(image.data(), ShortStringField(16)).text, QString::fromUtf16(u"\u00E9A"));
}

TEST(StringField, LongLayout) {
    const StringFieldLayout video = LongStringField(16, 0x1010);
    std::vector<BYTE> image(0x1100, 0x00);
    image[16] = 65;
    EXPECT_TRUE(DecodeStringField(image.data(), video).present);
    EXPECT_EQ(DecodeStringField(image.data(), video).text.size(), 64);
    image[16] = 66;
    EXPECT_FALSE(DecodeStringField(image.data(), video).present);

    EncodeStringField(image.data(), video, true, QStringLiteral("Cam"));
    EXPECT_EQ(image[16], 4);
    EXPECT_EQ(Slice(image, 0x1010, 4), Bytes("43 61 6D 00"));
    EXPECT_EQ(image[17], 0x00);  // header bytes behind the length byte stay
    EncodeStringField(image.data(), video, false, QString());
    EXPECT_EQ(image[16], 0xFF);
    EXPECT_EQ(Slice(image, 0x1010, 64), std::vector<BYTE>(64, 0xFF));
    EXPECT_EQ(image[0x1050], 0x00);
    EXPECT_EQ(image[17], 0x00);
}

TEST(PageDefaults, DefaultImageCarriesItsHeaderChecksum) {
    BYTE header[IMAGE_HEADER_SIZE];
    std::memset(header, 0xFF, sizeof header);
    const std::vector<BYTE> front = Bytes("5A A5 00 00 00 00 FF FF FF FF FF FF 00 00 00 00");
    std::memcpy(header, front.data(), front.size());
    std::array<BYTE, 64> image;
    image.fill(0xEE);
    WriteDefaultImage(image.data(), header, ChecksumLayout::VQ7170);
    EXPECT_EQ(std::memcmp(image.data(), header, IMAGE_HEADER_SIZE), 0);
    EXPECT_EQ(image[48], 0x25);
    EXPECT_EQ(image[49], 0xDA);
    EXPECT_EQ(image[50], 0x00);
    EXPECT_EQ(image[51], 0x00);
    EXPECT_EQ(image[52], 0xEE);  // nothing behind the 52 bytes

    // The checksum follows the code: 48 + len and 50 + len.
    image.fill(0);
    image[48] = 1;
    image[49] = 2;
    StoreHeaderChecksum(image.data(), 2, ChecksumLayout::VQ7170);
    EXPECT_EQ(StoreCodeChecksum(image.data(), 2, ChecksumLayout::VQ7170), 3);
    EXPECT_EQ(Slice(std::vector<BYTE>(image.begin(), image.end()), 48, 6), Bytes("01 02 00 00 00 03"));
}

}  // namespace
