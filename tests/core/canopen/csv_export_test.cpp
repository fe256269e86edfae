#include "core/canopen/csv_export.h"

#include <gtest/gtest.h>

#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

TEST(CsvExport, OnlyFieldsWithACommaAQuoteOrALineBreakAreQuoted) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"", ""},
        {"speed", "speed"},
        {" 0x10 ", " 0x10 "},
        {"control, word", "\"control, word\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"a\nb", "\"a\nb\""},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(CsvExport, EveryFieldIsFollowedByACommaAndEveryLineEndsWithCrLf) {
    EXPECT_EQ(CsvText({{"0", "Index", ""}, {"1"}, {}}), "0,Index,,\r\n1,\r\n\r\n");
    EXPECT_EQ(CsvText({{"a,b", "c"}}), "\"a,b\",c,\r\n");
}

TEST(CsvExport, TextsAreWrittenInWindows1252) {
    EXPECT_EQ(Windows1252("N\xC2\xB0 \xC3\xA9"), "N\xB0 \xE9");        // degree sign, e acute
    EXPECT_EQ(Windows1252("\xE2\x82\xAC \xE2\x80\x94"), "\x80 \x97");  // euro sign, em dash
    EXPECT_EQ(Windows1252("\xE4\xB8\xAD|\xC3|\xF0\x9F\x98\x80"), "?|?|?");
}

TEST(CsvExport, TheFileIsTheBaseNameInTheProjectDirectoryReplacedWhole) {
    testing::TempDir dir;
    ProjectContext context;
    context.projectDirectory = dir.path();
    EXPECT_EQ(CsvExportPath(context, "emcydef"), dir / "emcydef.csv");
    testing::WriteText(dir / "sdo.csv", "an older and much longer export\r\n");
    WriteCsvExport(context, "sdo", {{"1", "x"}});
    EXPECT_EQ(testing::ReadText(dir / "sdo.csv"), "1,x,\r\n");
    context.projectDirectory = dir / "gone";
    EXPECT_NE(testing::ErrorText([&] { WriteCsvExport(context, "sdo", {{"1"}}); }), "");
}

}  // namespace
}  // namespace kestrova
