// The highlighted characters of each hex row for selections that end at a
// row break: on the first byte of the next row (the row above is
// highlighted to its last digit, not a character past it) or on a row's
// last byte (the next row not at all).
#include "HexLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace hexview;

namespace {

// The row's hex text with its highlighted characters in brackets; a
// highlight running past the text shows as '~' up to its end.
std::string Highlighted(const std::vector<BYTE>& data, UINT start, UINT end, UINT selStart, UINT selEnd) {
    char text[3 * MAX_ROW_BYTES];
    const HexRow row = FormatHexRow(data.data(), start, end, selStart, selEnd, text);
    std::string line(text, static_cast<std::size_t>(row.length));
    if (row.selTo <= row.selFrom) return line;
    if (static_cast<std::size_t>(row.selTo) > line.size()) line.resize(static_cast<std::size_t>(row.selTo), '~');
    // Built piece by piece: GCC 12 at -O3 takes two insert() calls into one
    // string for an overlapping copy (-Wrestrict, a false positive).
    const std::size_t from = static_cast<std::size_t>(row.selFrom), to = static_cast<std::size_t>(row.selTo);
    std::string out = line.substr(0, from);
    out += '[';
    out += line.substr(from, to - from);
    out += ']';
    out += line.substr(to);
    return out;
}

TEST(RowSelection, HighlightStopsAtTheRowBreak) {
    const std::vector<BYTE> data = {0x0B, 0x30, 0x55, 0x7A, 0x9F, 0xC4, 0xE9, 0x0E, 0x33, 0x58};
    const struct {
        UINT rowBytes, s, e;  // selection s..e, both included
        std::vector<std::string> rows;
    } cases[] = {
        // The last byte selected is the first of the next row.
        {4, 1, 4, {"0B [30 55 7A]", "[9F] C4 E9 0E", "33 58"}},
        {4, 0, 4, {"[0B 30 55 7A]", "[9F] C4 E9 0E", "33 58"}},
        {4, 4, 8, {"0B 30 55 7A", "[9F C4 E9 0E]", "[33] 58"}},
        {4, 0, 8, {"[0B 30 55 7A]", "[9F C4 E9 0E]", "[33] 58"}},
        {4, 4, 4, {"0B 30 55 7A", "[9F] C4 E9 0E", "33 58"}},
        {1, 1, 2, {"0B", "[30]", "[55]", "7A"}},
        // The last byte selected is the last of its row.
        {4, 2, 3, {"0B 30 [55 7A]", "9F C4 E9 0E", "33 58"}},
        {4, 3, 3, {"0B 30 55 [7A]", "9F C4 E9 0E", "33 58"}},
        {4, 3, 7, {"0B 30 55 [7A]", "[9F C4 E9 0E]", "33 58"}},
        {4, 7, 9, {"0B 30 55 7A", "9F C4 E9 [0E]", "[33 58]"}},
        {1, 1, 1, {"0B", "[30]", "55", "7A"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.s) + ".." + std::to_string(c.e) + " in rows of " + std::to_string(c.rowBytes));
        std::vector<std::string> got;
        const UINT size = std::min<UINT>(static_cast<UINT>(data.size()), static_cast<UINT>(c.rows.size() * c.rowBytes));
        for (UINT start = 0; start < size; start += c.rowBytes)
            got.push_back(Highlighted(data, start, std::min(start + c.rowBytes, size), c.s, c.e));
        EXPECT_EQ(got, c.rows);
    }
}

}  // namespace
