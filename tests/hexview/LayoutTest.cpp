// The view's arithmetic, driven without a widget (character width 8, line height 16).
#include "HexLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

using namespace hexview;

namespace {

LayoutInput ToolView(int width, int height, UINT dataSize) {
    LayoutInput in;
    in.clientWidth = width;
    in.clientHeight = height;
    in.charWidth = 8;
    in.lineHeight = 16;
    in.addressDigits = 4;
    in.showAddress = true;
    in.bytesPerRow = 16;
    in.dataSize = dataSize;
    return in;
}

}  // namespace

TEST(HexLayout, ToolConfigurationNumbers) {
    const Layout L = CalculateLayout(ToolView(400, 200, 0x1000));
    EXPECT_EQ(L.rcClient, (Rect{5, 5, 395, 195}));
    EXPECT_EQ(L.fullRows, 11u);  // 190 / 16
    EXPECT_EQ(L.visibleRows, 12u);
    EXPECT_EQ(L.lastRowHeight, 14u);
    EXPECT_EQ(L.addressWidth, 5u * 8 + 30);
    EXPECT_EQ(L.hexX, 70u);
    EXPECT_EQ(L.hexWidth, 47u * 8 + 8);
    EXPECT_EQ(L.rowBytes, 16u);
    EXPECT_EQ(L.maxTopRow, 256u - 11);
    // Content right 70 + 376 = 446 against a text width of 390.
    EXPECT_EQ(L.maxScrollX, 56u);
}

TEST(HexLayout, ExactMultipleHeightHasNoPartialRow) {
    const Layout L = CalculateLayout(ToolView(600, 10 * 16 + 10, 0x1000));
    EXPECT_EQ(L.fullRows, 10u);
    EXPECT_EQ(L.visibleRows, 10u);
    EXPECT_EQ(L.lastRowHeight, 16u);
}

TEST(HexLayout, TinyWindowKeepsAnEmptyTextArea) {
    const Layout L = CalculateLayout(ToolView(6, 3, 100));
    EXPECT_EQ(L.rcClient, (Rect{5, 5, 5, 5}));
    EXPECT_EQ(L.fullRows, 0u);
    EXPECT_EQ(L.visibleRows, 0u);
    EXPECT_EQ(L.maxTopRow, 7u);
}

TEST(HexLayout, ShorterDataClampsScrollState) {
    LayoutInput in = ToolView(200, 200, 32);
    in.topRow = 100;
    in.scrollX = 1000;
    const Layout L = CalculateLayout(in);
    EXPECT_EQ(L.maxTopRow, 0u);
    EXPECT_EQ(L.topRow, 0u);
    EXPECT_EQ(L.scrollX, L.maxScrollX);
    EXPECT_GT(L.maxScrollX, 0u);
}

struct AutoCase {
    int clientWidth;
    bool showAscii;
    bool showAddress;
    UINT expected;
};

class HexLayoutAuto : public ::testing::TestWithParam<AutoCase> {};

// Shown by CTest after the test's name, so it must not print the padding bytes.
void PrintTo(const AutoCase& ac, std::ostream* os) {
    *os << "{width " << ac.clientWidth << ", ascii " << ac.showAscii << ", address " << ac.showAddress
        << ", expected " << ac.expected << "}";
}

// "Width58_Hex", "Width128_Address_Hex", "Width105_Hex_Ascii", ...
std::string AutoCaseName(const ::testing::TestParamInfo<AutoCase>& info) {
    const AutoCase& ac = info.param;
    return "Width" + std::to_string(ac.clientWidth) + (ac.showAddress ? "_Address" : "") + "_Hex" +
           (ac.showAscii ? "_Ascii" : "");
}

TEST_P(HexLayoutAuto, BytesPerRowFitsTheWidth) {
    const AutoCase& ac = GetParam();
    LayoutInput in = ToolView(ac.clientWidth, 100, 10000);
    in.autoBytesPerRow = true;
    in.showAscii = ac.showAscii;
    in.showAddress = ac.showAddress;
    EXPECT_EQ(CalculateLayout(in).rowBytes, ac.expected);
}

// Text width w = clientWidth - 10 (the inset) - address width.
INSTANTIATE_TEST_SUITE_P(
    Widths, HexLayoutAuto,
    ::testing::Values(
        // Without the character column: w / 24, plus one when w % 24 >= 16.
        AutoCase{10 + 48, false, false, 2}, AutoCase{10 + 48 + 15, false, false, 2},
        AutoCase{10 + 48 + 16, false, false, 3}, AutoCase{10 + 0, false, false, 1},
        AutoCase{10 + 70 + 48, false, true, 2}, AutoCase{10 + 70 - 1, false, true, 1},
        // With it: (w - 8) / 32, plus one when the remainder is >= 24.
        AutoCase{10 + 8 + 64 + 23, true, false, 2}, AutoCase{10 + 8 + 64 + 24, true, false, 3},
        AutoCase{10 + 7, true, false, 1}, AutoCase{10 + 8, true, false, 1},
        // The row buffers cap a row at 341 bytes.
        AutoCase{10 + 24 * 400, false, false, 341}),
    AutoCaseName);

TEST(HexLayout, SingleLineWindowShowsTheBufferOnOneCappedRow) {
    LayoutInput in = ToolView(300, 40, 20);
    in.multiLine = false;
    Layout L = CalculateLayout(in);
    EXPECT_EQ(L.rcClient, (Rect{0, 0, 300, 40}));
    EXPECT_EQ(L.rowBytes, 20u);
    in.dataSize = 5000;
    EXPECT_EQ(CalculateLayout(in).rowBytes, MAX_ROW_BYTES);
    in.dataSize = 0;
    EXPECT_EQ(CalculateLayout(in).rowBytes, 1u);
}

TEST(HexLayout, VisibleBytesStopAtTheBufferEnd) {
    const Layout L = CalculateLayout(ToolView(400, 200, 2));
    const RowSpan span = VisibleBytes(L, 0, 2);
    EXPECT_EQ(span.first, 0u);
    EXPECT_EQ(span.end, 2u);
}

// Points go to the nearest boundary between digits.
TEST(HexLayout, OffsetFromPointNearestBoundary) {
    const Layout L = CalculateLayout(ToolView(600, 200, 100));
    const int x0 = 5 + 70;  // screen x of byte 0's first digit
    const int y = 5 + 16 + 3;  // row 1
    struct Case {
        int x;
        CaretPos expected;
    } cases[] = {
        {x0 - 20, {16, true}},           // left of the hex column
        {x0 + 3, {16, true}},            // first half of the first digit
        {x0 + 4, {16, false}},           // second half of the first digit
        {x0 + 8 + 7, {16, false}},       // second digit
        {x0 + 16 + 3, {16, false}},      // first half of the blank
        {x0 + 16 + 4, {17, true}},       // second half of the blank
        {x0 + 3 * 8 * 15 + 20, {31, false}},  // right of the row
    };
    for (const Case& c : cases) EXPECT_EQ(OffsetFromPoint(L, 0, 0, 100, c.x, y), c.expected) << c.x;
    // Below the rows: the row after the last visible one; past the data: the last byte's low digit.
    EXPECT_EQ(OffsetFromPoint(L, 0, 0, 1000, x0, 1000).offset, 12u * 16);
    EXPECT_EQ(OffsetFromPoint(L, 0, 0, 100, x0, 1000), (CaretPos{99, false}));
    EXPECT_EQ(OffsetFromPoint(L, 0, 0, 100, x0, -50), (CaretPos{0, true}));
}

TEST(HexLayout, CaretGeometry) {
    const Layout L = CalculateLayout(ToolView(400, 200, 0x1000));  // rows of 16 px, last row 14 px
    // Byte 17, low digit: row 1, column 1.
    EXPECT_EQ(CaretGeometry(L, 0, 0, 17, false), (CaretRect{true, 5 + 70 + 4 * 8, 5 + 16 + 1, 8, 15}));
    // The partial last row gives a shorter caret.
    EXPECT_EQ(CaretGeometry(L, 0, 0, 11 * 16, true), (CaretRect{true, 75, 5 + 11 * 16 + 1, 8, 13}));
    // Rows above the top row and below the visible ones have no caret.
    EXPECT_FALSE(CaretGeometry(L, 1, 0, 15, true).visible);
    EXPECT_FALSE(CaretGeometry(L, 0, 0, 12 * 16, true).visible);
    // Scrolled so that the digit is cut by the strip's left edge (left - 2 = 3).
    const CaretRect cut = CaretGeometry(L, 0, 75, 0, true);
    EXPECT_EQ(cut, (CaretRect{true, 3, 6, 5, 15}));
    EXPECT_EQ(CaretGeometry(L, 0, 78, 0, true), (CaretRect{true, 3, 6, 2, 15}));
    EXPECT_FALSE(CaretGeometry(L, 0, 80, 0, true).visible);
    // Cut at the strip's right edge (right + 2 = 397): byte 15's low digit at 75 + 46 * 8 - 50.
    EXPECT_EQ(CaretGeometry(L, 0, 50, 15, false), (CaretRect{true, 393, 6, 4, 15}));
    EXPECT_FALSE(CaretGeometry(L, 0, 40, 15, false).visible);
}

struct VisibleCase {
    UINT top, b, e;
    bool rowChanged;
    UINT newTop;
};

class HexLayoutMakeVisible : public ::testing::TestWithParam<VisibleCase> {};

void PrintTo(const VisibleCase& vc, std::ostream* os) {
    *os << "{top " << vc.top << ", bytes " << vc.b << ".." << vc.e << ", changed " << vc.rowChanged << ", new top "
        << vc.newTop << "}";
}

// "Top5_Bytes100to100", ...
std::string VisibleCaseName(const ::testing::TestParamInfo<VisibleCase>& info) {
    const VisibleCase& vc = info.param;
    return "Top" + std::to_string(vc.top) + "_Bytes" + std::to_string(vc.b) + "to" + std::to_string(vc.e);
}

TEST_P(HexLayoutMakeVisible, Rows) {
    const VisibleCase& vc = GetParam();
    const Layout L = CalculateLayout(ToolView(600, 10 * 16 + 10, 0x1000));  // 10 whole rows
    const ScrollTarget t = MakeVisibleTarget(L, vc.top, 0, vc.b, vc.e);
    EXPECT_EQ(t.rowChanged, vc.rowChanged);
    if (vc.rowChanged) {
        EXPECT_EQ(t.topRow, vc.newTop);
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, HexLayoutMakeVisible,
                         ::testing::Values(VisibleCase{5, 100, 100, false, 0},  // in view
                                           VisibleCase{5, 79, 79, true, 4},     // row above
                                           VisibleCase{5, 240, 240, true, 6},   // row below: last whole row
                                           VisibleCase{5, 250, 400, true, 16},  // fits, ends below
                                           VisibleCase{5, 0, 0x0FFF, false, 0},  // covers the view
                                           VisibleCase{5, 200, 600, true, 12},  // longer, starts below top
                                           VisibleCase{20, 0, 300, true, 9},    // longer, ends inside
                                           VisibleCase{0, 0x0FF0, 0x0FFF, true, 246}),  // clamped
                         VisibleCaseName);

TEST(HexLayout, MakeVisibleHorizontal) {
    const Layout L = CalculateLayout(ToolView(200, 200, 0x1000));  // text width 190, maxScrollX 256
    // Byte 10's digits end at screen x 75 + 32 * 8 = 331, right of the area (195):
    // scrolled so that they end at the right edge, plus the left inset.
    ScrollTarget t = MakeVisibleTarget(L, 0, 0, 10, 10);
    ASSERT_TRUE(t.xChanged);
    EXPECT_EQ(t.scrollX, (331u - 195) + 5);
    EXPECT_EQ(MakeVisibleTarget(L, 0, 0, 15, 15).scrollX, L.maxScrollX);
    // Byte 0 while scrolled: the hex column's start at the left edge.
    t = MakeVisibleTarget(L, 0, 100, 0, 0);
    ASSERT_TRUE(t.xChanged);
    EXPECT_EQ(t.scrollX, 70u);
    EXPECT_FALSE(MakeVisibleTarget(L, 0, 0, 1, 1).xChanged);
}

TEST(HexLayout, HexRowSelectionSpans) {
    std::vector<BYTE> data(48);
    for (UINT i = 0; i < data.size(); ++i) data[i] = static_cast<BYTE>(i * 0x11);
    char text[1024];
    HexRow row = FormatHexRow(data.data(), 16, 32, 18, 20, text);
    EXPECT_EQ(std::string(text, row.length).substr(0, 11), "10 21 32 43");
    EXPECT_EQ(row.length, 47);
    EXPECT_EQ(row.selFrom, 6);
    EXPECT_EQ(row.selTo, 14);
    // Begun in an earlier row, ending in a later one: the whole text.
    row = FormatHexRow(data.data(), 16, 32, 3, 40, text);
    EXPECT_EQ(row.selFrom, 0);
    EXPECT_EQ(row.selTo, 47);
    // A short last row.
    row = FormatHexRow(data.data(), 32, 34, 0, 33, text);
    EXPECT_EQ(row.length, 5);
    EXPECT_EQ(row.selTo, 5);
    // Not touching.
    row = FormatHexRow(data.data(), 16, 32, 32, 40, text);
    EXPECT_EQ(row.selFrom, row.selTo);
    row = FormatHexRow(data.data(), 16, 32, NONE, NONE, text);
    EXPECT_EQ(row.selFrom, row.selTo);
}

TEST(HexLayout, AddressLabels) {
    char label[32];
    struct Case {
        UINT offset, digits;
        const char* text;
    } cases[] = {{0, 4, "0000h"}, {0x10, 4, "0010h"}, {0x10000, 4, "10000h"}, {0xFFFFFFF0, 4, "FFFFFFF0h"},
                 {0x1A, 8, "0000001Ah"}, {0x5, 0, "5h"}};
    for (const Case& c : cases) {
        const int n = FormatAddress(c.offset, c.digits, label);
        EXPECT_EQ(std::string(label, n), c.text);
    }
    // Any digit count stays within the 32-character buffer.
    EXPECT_LE(FormatAddress(1, 1000, label), 31);
}

TEST(HexLayout, AsciiRow) {
    const BYTE data[] = {'A', 0x1F, 0x7E, 0x7F, 0x80, ' '};
    char text[8];
    const int n = FormatAsciiRow(data, 0, 6, text);
    EXPECT_EQ(std::string(text, n), "A.~.. ");
}
