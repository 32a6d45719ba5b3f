#include "ChipTypes.h"
#include "VQPatch.h"

#include <gtest/gtest.h>

TEST(ChipTypes, RowsAreFoundByLabelShortNameOrNumber) {
    struct Case {
        const char* text;
        std::optional<int> row;
    } cases[] = {
        {"VQ7340/41", 5}, {"vq7340/41", 5}, {"vq7340", 5}, {"VQ7140XX", 1}, {"VQ7150/40E/40SE", 1},
        {"0", 0},         {"6", 6},         {"7", std::nullopt}, {"-1", std::nullopt}, {"05", std::nullopt},
        {"", std::nullopt}, {"vq734", std::nullopt}, {"keyboard", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(FindChipRow(c.text), c.row) << c.text;
    for (int row = 0; row < CHIP_TYPE_ROWS; ++row) ASSERT_NE(MakeChipPatch(row), nullptr);
    EXPECT_EQ(MakeChipPatch(CHIP_TYPE_ROWS), nullptr);
}
