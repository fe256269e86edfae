#include "core/canopen/csv_export.h"

#include <gtest/gtest.h>

#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

TEST(CsvExport, EveryFieldIsFollowedByACommaAndOnlyACommaAQuoteOrALineBreakIsQuoted) {
    EXPECT_EQ(CsvText({{"0", " 0x10 ", ""}, {"1"}, {}}), "0, 0x10 ,,\r\n1,\r\n\r\n");
    EXPECT_EQ(CsvText({{"control, word", "say \"hi\"", "two\r\nlines", "a\nb"}}),
              "\"control, word\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"a\nb\",\r\n");
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
