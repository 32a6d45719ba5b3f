#include "HexEditBase.h"

#include <gtest/gtest.h>

TEST(HexViewSmoke, HoldsItsOwnCopy) {
    CHexEditBase view;
    BYTE bytes[2] = {0x5A, 0xA5};
    view.SetData(bytes, 2);
    bytes[0] = 0;
    ASSERT_EQ(view.GetDataSize(), 2u);
    EXPECT_EQ(view.GetData()[0], 0x5A);
    EXPECT_NE(view.GetData(), bytes);
}
