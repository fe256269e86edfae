#include "core/project/text_encoding.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(TextEncoding, Windows1252BothWays) {
    EXPECT_EQ(Utf8ToWindows1252("N\xC2\xB0 \xC3\xA9"), "N\xB0 \xE9");        // degree sign, e acute
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x82\xAC \xE2\x80\x94"), "\x80 \x97");  // euro sign, em dash
    EXPECT_EQ(Utf8ToWindows1252("\xE4\xB8\xAD|\xC3|\xF0\x9F\x98\x80|\xC2\x81"), "?|?|?|?");
    EXPECT_EQ(SingleByteToUtf8("\x80\xB0\x81", SingleByteCode::Windows1252), "\xE2\x82\xAC\xC2\xB0\xC2\x81");
    EXPECT_EQ(SingleByteToUtf8("\x80\xB0", SingleByteCode::Latin1), "\xC2\x80\xC2\xB0");
}

TEST(TextEncoding, FirstInvalidUtf8) {
    const struct {
        std::string text;
        size_t expected;
    } cases[] = {
        {"plain \xC2\xB0 \xF0\x9F\x98\x80", std::string::npos},
        {"a\xB0", 1},             // a lone continuation byte
        {"ab\xC0\xAF", 2},        // overlong
        {"\xED\xA0\x80", 0},      // surrogate
        {"\xF4\x90\x80\x80", 0},  // past U+10FFFF
        {"x\xE2\x82", 1},         // cut short
    };
    for (const auto& c : cases) EXPECT_EQ(FirstInvalidUtf8(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace kestrova
