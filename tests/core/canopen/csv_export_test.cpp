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
