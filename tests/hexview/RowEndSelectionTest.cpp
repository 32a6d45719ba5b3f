// Selections that end exactly on the last byte of a row: the row's hex text
// is selected to its end (no blank behind), the next row not at all, and the
// copied text breaks where the rows break with no empty line.
#include "HexEditLogic.h"
#include "HexLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace hexview;

namespace {

std::vector<BYTE> Bytes(std::size_t n) {
    std::vector<BYTE> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>(i * 37 + 11);
    return v;
}

TEST(RowEndSelection, RowsAndCopiedText) {
    const struct {
        UINT rowBytes, s, e;
        std::vector<std::string> lines;  // of the copied text, in order
    } rows[] = {
        // Within one row, from its start and from its middle.
        {4, 0, 3, {"0B 30 55 7A"}},
        {4, 2, 3, {"55 7A"}},
        // e - s == R: no indent, the first line holds R bytes.
        {4, 3, 7, {"7A 9F C4 E9", "0E"}},
        // e - s > R: indented to the first byte's column, breaks at rows.
        {4, 1, 7, {"   30 55 7A", "9F C4 E9 0E"}},
        {4, 4, 11, {"9F C4 E9 0E", "33 58 7D A2"}},
        {16, 14, 31, {std::string(42, ' ') + "11 36", "5B 80 A5 CA EF 14 39 5E 83 A8 CD F2 17 3C 61 86"}},
        {1, 2, 4, {"55", "7A", "9F"}},
    };
    const std::vector<BYTE> data = Bytes(64);
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.s) + ".." + std::to_string(row.e) + " in rows of " +
                     std::to_string(row.rowBytes));
        ASSERT_EQ((row.e + 1) % row.rowBytes, 0u);  // the selection ends on a row's end
        std::string expected;
        for (const std::string& line : row.lines) expected += line + "\n";
        EXPECT_EQ(HexDumpText(data.data(), row.s, row.e, row.rowBytes), expected);

        // The row holding e: selected to the end of its text.
        const UINT start = row.e + 1 - row.rowBytes;
        char text[3 * 64];
        const HexRow last = FormatHexRow(data.data(), start, row.e + 1, row.s, row.e, text);
        EXPECT_EQ(last.selTo, last.length);
        EXPECT_EQ(last.selFrom, row.s > start ? static_cast<int>(3 * (row.s - start)) : 0);
        // The row after it: nothing selected.
        const HexRow next = FormatHexRow(data.data(), row.e + 1, row.e + 1 + row.rowBytes, row.s, row.e, text);
        EXPECT_EQ(next.selFrom, next.selTo);

        const std::vector<BYTE> block = MakeBinaryBlock(data.data() + row.s, row.e - row.s + 1);
        UINT count = 0;
        const BYTE* bytes = ReadBinaryBlock(block.data(), block.size(), count);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(count, row.e - row.s + 1);
        EXPECT_TRUE(std::equal(bytes, bytes + count, data.begin() + row.s));
    }
}

}  // namespace
