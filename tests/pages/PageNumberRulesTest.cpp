// The signed-number edit rule and the drop-down list fields as pure
// functions.
#include "PageRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(NumberEditRule, ScanDecimalSaturatesBeyondTheIntRange) {
    const std::pair<const char16_t*, int> cases[] = {
        {u"", 0},          {u"-", 0},           {u"+", 0},           {u"abc", 0},     {u"12a", 12},
        {u"  -42x", -42},  {u"\t+7", 7},        {u"--5", 0},         {u"007", 7},     {u"\u0661", 0},
        {u"2147483647", INT_MAX},  {u"2147483648", INT_MAX},  {u"4294967297", INT_MAX},  // would wrap to 1
        {u"-2147483648", INT_MIN}, {u"-2147483649", INT_MIN}, {u"-99999999999", INT_MIN},
        {u"100000000000000000000000000000000000000000000000000000000000", INT_MAX},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ScanDecimal(QString::fromUtf16(text)), value);
}

TEST(NumberEditRule, StoreOrResetTo) {
    struct Case {
        const char16_t* text;
        int low, high;
        const char* result;  // "=v": v is stored; else the edit's new text
    };
    const Case cases[] = {
        {u"0", -128, 127, "=0"},       {u"127", -128, 127, "=127"}, {u"-128", -128, 127, "=-128"},
        {u"", -128, 127, "=0"},        {u"-", -128, 127, "=0"},     {u"-", 5, 10, "5"},
        {u"200", -128, 127, "127"},    {u"-200", -128, 127, "-128"}, {u"-5", 0, 255, "0"},
        {u"256", 0, 255, "255"},       {u"12a", 0, 255, "12"},      {u"a", 0, 255, "0"},
        {u"1-", 0, 255, "1"},          {u"+1", 0, 255, "1"},        {u" 1", 0, 255, "1"},
        {u"999x", 0, 255, "999"},      {u"99999999999", -128, 127, "127"}, {u"-99999999999", 0, 255, "0"},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        NumberEditScan scan = ScanNumberEdit(text, c.low, c.high);
        // '=' as a char: "=" + std::string makes GCC 12 at -O3 report a false
        // -Wrestrict overlap in the insert(0, const char*) it inlines.
        EXPECT_EQ(scan.value ? '=' + std::to_string(*scan.value) : scan.reset.toStdString(), c.result)
            << text.toStdString();
        // A reset text is stored on the next run of the handler, or the one after.
        for (int run = 0; run < 2 && !scan.value; ++run) scan = ScanNumberEdit(scan.reset, c.low, c.high);
        ASSERT_TRUE(scan.value.has_value()) << text.toStdString();
        EXPECT_TRUE(*scan.value >= c.low && *scan.value <= c.high) << text.toStdString();
    }
}

TEST(ComboField, IndexAndBits) {
    struct Case {
        ComboField field;
        BYTE value;  // option byte
        int index;   // the entry it selects
        BYTE bits;   // the field's bits for that entry
    };
    const Case cases[] = {
        {{4, 0xF0}, 0x01, 0, 0x00}, {{4, 0xF0}, 0xF5, 15, 0xF0}, {{4, 0xF0}, 0x81, 8, 0x80},
        {{7, 0x80}, 0x7F, 0, 0x00}, {{7, 0x80}, 0x82, 1, 0x80},  {{0, 0x07}, 0x7F, 7, 0x07},
        {{0, 0x07}, 0x82, 2, 0x02}, {{0, 0x07}, 0xF8, 0, 0x00},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComboIndexOf(c.value, c.field), c.index) << int(c.value);
        EXPECT_EQ(ComboBitsOf(c.index, c.field), c.bits) << c.index;
    }
    // An index beyond the field is cut to it.
    EXPECT_EQ(ComboBitsOf(16, ComboField{4, 0xF0}), 0x00);
    EXPECT_EQ(ComboBitsOf(9, ComboField{0, 0x07}), 0x01);
}

}  // namespace
