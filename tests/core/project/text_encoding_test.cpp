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

// Every byte read as either code comes back as itself; a character the code lacks does not.
TEST(TextEncoding, SingleByteTextsComeBackAsTheBytesRead) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    for (const auto code : {SingleByteCode::Latin1, SingleByteCode::Windows1252})
        EXPECT_EQ(Utf8ToSingleByte(SingleByteToUtf8(bytes, code), code), bytes);
    EXPECT_EQ(Utf8ToSingleByte("\xE2\x82\xAC", SingleByteCode::Windows1252), "\x80");
    EXPECT_EQ(Utf8ToSingleByte("\xE2\x82\xAC", SingleByteCode::Latin1), std::nullopt);   // no euro sign
    EXPECT_EQ(Utf8ToSingleByte("\xC2\x80", SingleByteCode::Windows1252), std::nullopt);  // 0x80 is the euro
    EXPECT_EQ(Utf8ToSingleByte("\xC3", SingleByteCode::Latin1), std::nullopt);           // not UTF-8
    EXPECT_EQ(SingleByteCodeNamed("ISO-8859-1"), SingleByteCode::Latin1);
    EXPECT_EQ(SingleByteCodeNamed("Latin1"), SingleByteCode::Latin1);
    EXPECT_EQ(SingleByteCodeNamed("windows-1252"), SingleByteCode::Windows1252);
    EXPECT_EQ(SingleByteCodeNamed("UTF-8"), std::nullopt);
    EXPECT_EQ(SingleByteCodeNamed("iso-8859-15"), std::nullopt);
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
