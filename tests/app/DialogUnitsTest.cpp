// Dialog-unit arithmetic and the other pure helpers of the user interface.
#include "DialogText.h"
#include "DialogUnits.h"
#include "EditRules.h"
#include "MyStatusBar.h"

#include <gtest/gtest.h>

TEST(DialogUnits, MulDivRoundsHalfAwayFromZero) {
    struct Case { int n, num, den, want; };
    const Case cases[] = {
        {10, 96, 72, 13},   // 13.33
        {9, 96, 72, 12},    // 12.0
        {3, 1, 2, 2},       // 1.5 rounds up
        {-3, 1, 2, -2},     // -1.5 rounds away from zero
        {5, 6, 4, 8},       // 7.5
        {318, 15, 8, 596},  // 596.25
        {7, 3, 0, -1},      // no denominator
        {0x40000000, 4, 8, 0x20000000},  // 64-bit intermediate
        {0x40000000, 4, 2, -1},          // result too large
    };
    for (const Case& c : cases) EXPECT_EQ(MulDiv(c.n, c.num, c.den), c.want) << c.n << "*" << c.num << "/" << c.den;
}

TEST(DialogUnits, BaseUnitsFromFontMeasures) {
    // Average width = (extent / 26 + 1) / 2, height as measured.
    EXPECT_EQ(BaseUnitsFromMetrics(312, 15), (DialogBaseUnits{6, 15}));
    EXPECT_EQ(BaseUnitsFromMetrics(337, 15), (DialogBaseUnits{6, 15}));  // 12.96 -> 12 -> 6
    EXPECT_EQ(BaseUnitsFromMetrics(338, 16), (DialogBaseUnits{7, 16}));  // 13 -> 7
}

TEST(DialogUnits, RectanglesMapEachValueOnItsOwn) {
    const DialogBaseUnits u{6, 15};
    // x: n*6/4, y: n*15/8, each rounded.
    EXPECT_EQ(MapDialogRect({124, 130, 300, 176}, u), (PixelRect{186, 244, 450, 330}));
    EXPECT_EQ(MapDialogRect({9, 8, 35, 8}, u), (PixelRect{14, 15, 53, 15}));  // 13.5 -> 14, 52.5 -> 53
    EXPECT_EQ(MapDialogRect({0, 0, 426, 318}, u), (PixelRect{0, 0, 639, 596}));
    EXPECT_EQ(FontPixelSize(10, 96), 13);
    EXPECT_EQ(FontPixelSize(10, 120), 17);
}

TEST(EditRules, TypingRules) {
    struct Case {
        EditInputRules rules;
        const char* before;
        const char* typed;  // text after the change
        bool allowed;
        const char* result;
    };
    const Case cases[] = {
        {{8, true, true}, "1234567", "12345678", true, "12345678"},
        {{8, true, true}, "12345678", "123456789", false, ""},  // a ninth character
        {{8, true, true}, "123", "123a", false, ""},            // not a digit
        {{8, true, false}, "1f", "1fa", true, "1FA"},           // capitals
        {{4, false, false}, "FFFFFFFF", "FFFFFFF", true, "FFFFFFF"},  // over the limit, shortening is allowed
        {{4, false, true}, "12x45", "12x4", true, "12x4"},      // a program's non-digit may stay
        {{0, false, false}, "", "anything at all", true, "anything at all"},
        {{8, true, true}, "123", "1234567890", true, "12345678"},   // a paste keeps what fits
        {{4, true, false}, "AB", "AxyzB", true, "AXYB"},            // also inside the text
        {{4, false, false}, "FFFFFFFF", "FFFFFFFFF", false, ""},  // over the limit: nothing fits
    };
    for (const Case& c : cases) {
        QString after = QString::fromUtf8(c.typed);
        const bool ok = ApplyEditInputRules(c.rules, QString::fromUtf8(c.before), &after);
        EXPECT_EQ(ok, c.allowed) << c.before << " -> " << c.typed;
        if (ok) {
            EXPECT_EQ(after, QString::fromUtf8(c.result));
        }
    }
}

TEST(DialogText, VersionTextTakesTwoDigitsPerByteOrMore) {
    const BYTE v1[4] = {22, 3, 15, 12};
    const BYTE v2[4] = {0, 0, 0, 1};
    const BYTE v3[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const BYTE v4[4] = {100, 0, 9, 99};
    EXPECT_EQ(VersionText(v1), QStringLiteral("22031512"));
    EXPECT_EQ(VersionText(v2), QStringLiteral("00000001"));
    EXPECT_EQ(VersionText(v3), QStringLiteral("255255255255"));
    EXPECT_EQ(VersionText(v4), QStringLiteral("100000999"));
}

TEST(DialogText, VersionBytesFromText) {
    struct Case {
        const char* text;
        bool changes;
        BYTE want[4];
    };
    const Case cases[] = {
        {"22031512", true, {22, 3, 15, 12}},
        {"1", true, {0, 0, 0, 1}},
        {"", true, {0, 0, 0, 0}},
        {"123456", true, {0, 12, 34, 56}},
        {"2203151a", false, {}},
        {" 1", false, {}},
        {"255255255255", false, {}},  // the tool's own text for bytes above 99
        {"100000999", false, {}},
    };
    for (const Case& c : cases) {
        BYTE out[4] = {7, 7, 7, 7};
        EXPECT_EQ(VersionBytesFromText(QString::fromUtf8(c.text), out), c.changes) << c.text;
        if (c.changes) {
            for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], c.want[i]) << c.text << " byte " << i;
        } else {
            for (BYTE b : out) EXPECT_EQ(b, 7) << c.text;
        }
    }
}

TEST(DialogText, CodeLengthAndChecksum) {
    EXPECT_EQ(CodeLengthText(0), QStringLiteral("0"));
    EXPECT_EQ(CodeLengthText(65535), QStringLiteral("65535"));
    EXPECT_EQ(ChecksumText(0), QStringLiteral("0000"));
    EXPECT_EQ(ChecksumText(0x25DA), QStringLiteral("25DA"));
    EXPECT_EQ(ChecksumText(0xAB), QStringLiteral("00AB"));
}

TEST(Colours, ColorrefIsBlueGreenRed) {
    EXPECT_EQ(ColorFromColorref(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ColorFromColorref(0x008000), QColor(0, 128, 0));
    EXPECT_EQ(ColorFromColorref(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(RGB(255, 0, 0), 0x0000FFu);
}

TEST(StatusPanes, FixedPaneThenStretchingPane) {
    const std::vector<StatusPaneSpec> panes = {{SBPS_NORMAL, 150}, {SBPS_STRETCH, 0}};
    auto rects = StatusPaneRects(panes, 640, 24);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], QRect(0, 2, 150, 22));
    EXPECT_EQ(rects[1], QRect(152, 2, 488, 22));
    EXPECT_EQ(rects[1].right(), 639);  // to the bar's right edge
    rects = StatusPaneRects(panes, 100, 24);  // narrower than the fixed pane
    EXPECT_EQ(rects[1].width(), 0);
}
