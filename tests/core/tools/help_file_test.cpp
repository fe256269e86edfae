#include "core/tools/help_file.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(HelpFile, RtfCharactersComeOutAsUtf8) {
    const struct {
        const char* rtf;
        const char* text;
    } cases[] = {
        // a character beyond 16 bits is written as two halves, each with its stand-in character
        {"{\\rtf1 a\\u-10179?\\u-8704?b}",
         "a\xF0\x9F\x98\x80"
         "b"},
        {"{\\rtf1 a\\u-8704?b}", "ab"},  // a lone half is left out
    };
    for (const auto& c : cases) EXPECT_EQ(RtfPlainText(c.rtf), c.text) << c.rtf;
}

}  // namespace
}  // namespace kestrova
