#include "core/project/error.h"

#include <gtest/gtest.h>

#include "core/project/integer_text.h"
#include "support/error_text.h"

namespace kestrova {
namespace {

using testing::ErrorText;

TEST(EchoedText, LongValuesAreCutAtEightyCharactersNeverInsideOne) {
    const std::string eighty(80, '7');
    const std::string umlauts = [] {
        std::string text;
        for (int i = 0; i < 81; ++i) text += "\xC3\xBC";  // one character, two bytes
        return text;
    }();
    const std::pair<std::string, std::string> cases[] = {
        {eighty, eighty},
        {eighty + "9", eighty + "..."},
        {std::string(1 << 20, 'x'), std::string(80, 'x') + "..."},
        {umlauts, umlauts.substr(0, 160) + "..."},
    };
    for (const auto& [value, echoed] : cases) EXPECT_EQ(EchoedText(value), echoed) << value.size();
}

TEST(EchoedText, MessagesEchoingADocumentValueStayShort) {
    const std::string huge(1 << 20, '9');
    EXPECT_EQ(ErrorText([&] { IntegerText(huge + "x"); }),
              "'" + std::string(80, '9') + "...' is not a valid integer value");
}

}  // namespace
}  // namespace kestrova
