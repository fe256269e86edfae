#include "core/project/integer_text.h"

#include "support/error_text.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(IntegerText, AcceptsEveryWrittenFormOfTwenty) {
    for (const char* text : {"20", " 20", "   20", "+20", "$14", "0x14", "0X14", "x14", "X14", "$0014"})
        EXPECT_EQ(IntegerText(text), 20) << text;
}

TEST(IntegerText, RefusesTrailingCharactersAndEmptyText) {
    for (const char* text : {"20 ", "14h", "", " ", "+", "-", "$", "0x", "x", "2 0", "\t20", "1e3", "0x1G", "--1"})
        EXPECT_FALSE(TryIntegerText(text).has_value()) << '\'' << text << '\'';
}

TEST(IntegerText, StrictFormNamesTheText) {
    EXPECT_EQ(testing::ErrorText([] { IntegerText("14h"); }), "'14h' is not a valid integer value");
}

TEST(IntegerText, DefaultingFormGivesTheCallersDefault) {
    EXPECT_EQ(IntegerText("abc", -1), -1);
    EXPECT_EQ(IntegerText("", 7), 7);
    EXPECT_EQ(IntegerText("-5", -1), -5);
}

TEST(IntegerText, HexGivesThe32BitPatternWithUpToEightDigits) {
    EXPECT_EQ(IntegerText("$FFFFFFFF"), -1);
    EXPECT_EQ(IntegerText("0xffffffff"), -1);
    EXPECT_EQ(IntegerText("$80000000"), INT32_MIN);
    EXPECT_EQ(IntegerText("$7FFFFFFF"), INT32_MAX);
    EXPECT_EQ(IntegerText("-$10"), -16);
    EXPECT_EQ(IntegerText("-$FFFFFFFF"), 1);
    EXPECT_FALSE(TryIntegerText("$100000000").has_value());
    EXPECT_FALSE(TryIntegerText("0x000000001").has_value());
}

TEST(IntegerText, DecimalMustFitSigned32Bits) {
    EXPECT_EQ(IntegerText("2147483647"), INT32_MAX);
    EXPECT_EQ(IntegerText("-2147483648"), INT32_MIN);
    EXPECT_FALSE(TryIntegerText("2147483648").has_value());
    EXPECT_FALSE(TryIntegerText("-2147483649").has_value());
    EXPECT_FALSE(TryIntegerText("99999999999999999999999").has_value());
}

TEST(IntegerText64, ReadsBeyond32BitsWithTheSameRule) {
    EXPECT_EQ(IntegerText64("120000", -1), 120000);
    EXPECT_EQ(IntegerText64("4294967296", -1), 4294967296LL);
    EXPECT_EQ(IntegerText64("9223372036854775807", -1), INT64_MAX);
    EXPECT_EQ(IntegerText64("9223372036854775808", -1), -1);
    EXPECT_EQ(IntegerText64("-9223372036854775808", 0), INT64_MIN);
    for (const char* wraps : {"18446744073709551617", "18446744073709551620", "-18446744073709551616"})
        EXPECT_FALSE(TryIntegerText64(wraps).has_value()) << wraps;
    EXPECT_EQ(IntegerText64("$FFFFFFFFFFFFFFFF", 0), -1);
    EXPECT_EQ(IntegerText64(" 1 ", -1), -1);
}

}  // namespace
}  // namespace kestrova
