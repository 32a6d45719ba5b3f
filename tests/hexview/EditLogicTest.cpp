// Caret moves, typing, auto-scroll pacing and clipboard blocks, without a widget.
#include "HexEditLogic.h"
#include "HexLayout.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using namespace hexview;

TEST(HexEditLogic, ShiftMovesSelectFromTheAnchor) {
    EditState s{5, true, NONE, NONE, 5};  // Shift went down: anchor on the caret
    s = MoveCaretState(s, 100, 0, false, true);
    EXPECT_EQ(s, (EditState{5, false, 5, 5, 5}));
    s = MoveCaretState(s, 100, -3, true, true);
    EXPECT_EQ(s, (EditState{2, true, 2, 5, 5}));
    // Without Shift the anchor and the selection go.
    s = MoveCaretState(s, 100, 1, true, false);
    EXPECT_EQ(s, (EditState{3, true, NONE, NONE, NONE}));
    // Shift without an anchor moves only.
    s = MoveCaretState(s, 100, 1, true, true);
    EXPECT_EQ(s, (EditState{4, true, NONE, NONE, NONE}));
}

TEST(HexEditLogic, MovesStopAtTheBufferEnds) {
    const EditState last{99, false, NONE, NONE, NONE};
    EXPECT_EQ(MoveCaretState(last, 100, 1, true, false), last);          // Right on the last low digit
    EXPECT_EQ(MoveCaretState(last, 100, 0x7FFFFFF, false, false), last);  // End
    const EditState first{0, true, NONE, NONE, NONE};
    EXPECT_EQ(MoveCaretState(first, 100, -1, false, false), first);  // Left on byte 0's high digit
    EXPECT_EQ(MoveCaretState({50, false, NONE, NONE, NONE}, 100, -0x8000000, true, false), first);  // Home
    EXPECT_EQ(MoveCaretState({90, true, NONE, NONE, NONE}, 100, 16, true, false),
              (EditState{99, false, NONE, NONE, NONE}));  // Down with no row below
    // Nothing at all with an empty buffer.
    const EditState sel{0, true, 0, 0, 0};
    EXPECT_EQ(MoveCaretState(sel, 0, 1, true, false), sel);
}

TEST(HexEditLogic, NavigationKeys) {
    struct Case {
        UINT vk;
        bool high;
        KeyMove expected;
    } cases[] = {
        {VK_PRIOR, true, {-10 * 16, true}}, {VK_NEXT, false, {10 * 16, false}}, {VK_END, true, {0x7FFFFFF, false}},
        {VK_HOME, false, {-0x8000000, true}}, {VK_LEFT, true, {-1, false}},    {VK_LEFT, false, {0, true}},
        {VK_RIGHT, true, {0, false}},         {VK_RIGHT, false, {1, true}},    {VK_UP, false, {-16, false}},
        {VK_DOWN, true, {16, true}},
    };
    for (const Case& c : cases) {
        KeyMove m;
        ASSERT_TRUE(CaretMoveForKey(c.vk, c.high, 16, 11, m)) << c.vk;
        EXPECT_EQ(m.delta, c.expected.delta) << c.vk;
        EXPECT_EQ(m.highNibble, c.expected.highNibble) << c.vk;
    }
    KeyMove m;
    EXPECT_FALSE(CaretMoveForKey(VK_TAB, true, 16, 11, m));
    EXPECT_FALSE(CaretMoveForKey('A', true, 16, 11, m));
}

TEST(HexEditLogic, HexDigits) {
    BYTE v = 0xFF;
    const std::string digits = "0123456789abcdef";
    for (UINT i = 0; i < 16; ++i) {
        ASSERT_TRUE(HexDigitValue(static_cast<UINT>(digits[i]), v));
        EXPECT_EQ(v, i);
        ASSERT_TRUE(HexDigitValue(static_cast<UINT>(std::toupper(digits[i])), v));
        EXPECT_EQ(v, i);
    }
    for (UINT ch : {8u, UINT('g'), UINT('G'), UINT(' '), UINT('/'), UINT(':'), UINT('@'), UINT('`'), 0x130u}) EXPECT_FALSE(HexDigitValue(ch, v)) << ch;
}

TEST(HexEditLogic, AutoScrollTicksByDistance) {
    const int expected[][2] = {{1, 7}, {3, 7}, {4, 6}, {8, 6}, {9, 5}, {13, 5}, {14, 4}, {18, 4},
                               {19, 3}, {23, 3}, {24, 2}, {28, 2}, {29, 1}, {30, 1}, {500, 1}};
    for (const auto& e : expected) EXPECT_EQ(AutoScrollTicks(e[0]), e[1]) << e[0];
}

TEST(HexEditLogic, HexDumpBreaksLikeTheRows) {
    std::vector<BYTE> data(0x40);
    for (UINT i = 0; i < data.size(); ++i) data[i] = static_cast<BYTE>(i);
    // 0x0E..0x21: indented first line of 2 bytes, a whole row, 2 bytes.
    EXPECT_EQ(HexDumpText(data.data(), 0x0E, 0x21, 16),
              std::string(42, ' ') + "0E 0F\n" +
                  "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F\n"
                  "20 21\n");
    // 0x0A..0x14: one line of 11 bytes, no indent.
    EXPECT_EQ(HexDumpText(data.data(), 0x0A, 0x14, 16), "0A 0B 0C 0D 0E 0F 10 11 12 13 14\n");
    // e - s = R: still no indent, a line of R bytes and one more.
    EXPECT_EQ(HexDumpText(data.data(), 0x02, 0x06, 4), "02 03 04 05\n06\n");
    data[5] = 0x0A;
    EXPECT_EQ(HexDumpText(data.data(), 5, 5, 16), "0A\n");
}

TEST(HexEditLogic, BinaryBlocks) {
    const BYTE one[] = {0x0A};
    EXPECT_EQ(MakeBinaryBlock(one, 1), (std::vector<BYTE>{1, 0, 0, 0, 0x0A}));
    std::vector<BYTE> big(0x10203, 0x77);
    const std::vector<BYTE> block = MakeBinaryBlock(big.data(), static_cast<UINT>(big.size()));
    EXPECT_EQ(block[0], 0x03);
    EXPECT_EQ(block[1], 0x02);
    EXPECT_EQ(block[2], 0x01);
    EXPECT_EQ(block[3], 0x00);

    UINT count = 99;
    EXPECT_EQ(ReadBinaryBlock(block.data(), block.size(), count), block.data() + 4);
    EXPECT_EQ(count, 0x10203u);
    // A block shorter than its count says is cut to what it holds.
    EXPECT_NE(ReadBinaryBlock(block.data(), 10, count), nullptr);
    EXPECT_EQ(count, 6u);
    const BYTE lying[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_NE(ReadBinaryBlock(lying, 4, count), nullptr);
    EXPECT_EQ(count, 0u);
    // No whole count: nothing.
    EXPECT_EQ(ReadBinaryBlock(lying, 3, count), nullptr);
    EXPECT_EQ(count, 0u);
}

TEST(HexEditLogic, PasteIsCutAtTheBufferEnd) {
    EXPECT_EQ(PasteLength(90, 100, 100), 10u);
    EXPECT_EQ(PasteLength(10, 5, 100), 5u);
    EXPECT_EQ(PasteLength(95, 5, 100), 5u);
    EXPECT_EQ(PasteLength(0, 0xFFFFFFFF, 100), 100u);
    EXPECT_EQ(PasteLength(99, 0xFFFFFFFE, 100), 1u);
    EXPECT_EQ(PasteLength(3, 0, 100), 0u);
    EXPECT_EQ(PasteLength(100, 1, 100), 0u);
}
