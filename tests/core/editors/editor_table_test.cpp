#include "core/editors/editor_table.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace kestrova {
namespace {

using testing::ErrorOf;
using testing::Repeated;
using testing::TempDir;
using testing::WriteText;

// A small list: key "Name", a flag, and a coded column whose absent attribute reads as "none".
TableLayout SampleLayout() {
    TableLayout layout;
    layout.rowLabels = NumberedLabels(4);
    TableColumn coded = TextColumn("Code", "C");
    coded.decode = [](const std::string& text) { return text.empty() ? std::string("none") : "#" + text; };
    coded.encode = [](const std::string& text) -> std::optional<std::string> {
        if (text.size() < 2 || text[0] != '#') return std::nullopt;
        return text.substr(1);
    };
    layout.columns = {TextColumn("Name", "Name", true), FlagColumn("Set", "Set"), coded};
    layout.keyName = "Name";
    layout.rowNamePrefix = "row ";
    layout.entryNoun = "items";
    return layout;
}

TEST(EditorTableList, EndsAtTheFirstEmptyKeyCellAndNeverPassesTheCapacityCellsOutsideAreEmpty) {
    const auto layout = SampleLayout();
    auto rows = EmptyTable(layout);
    EXPECT_EQ(ListLength(layout, rows), 0u);
    rows[0][0] = "a";
    rows[1][0] = " ";  // a blank key is not empty: the row is listed (and its checks refuse it)
    rows[3][0] = "d";
    EXPECT_EQ(ListLength(layout, rows), 2u);
    for (auto& row : rows) row[0] = "x";
    rows.push_back({"beyond", "", ""});
    EXPECT_EQ(ListLength(layout, rows), 4u);
    EXPECT_EQ(CellText(rows, 4, 0), "beyond");
    EXPECT_EQ(CellText(rows, 4, 5), "") << "a missing column";
    EXPECT_EQ(CellText(rows, 7, 0), "") << "a missing row";
}

TEST(EditorTableStrayRows, OnlyTextOrATickedFlagFromTheListEndOnIsRefusedNamingBothRows) {
    const auto layout = SampleLayout();
    auto rows = EmptyTable(layout);
    rows[0] = {"a", "Y", ""};
    rows[2] = {"", "N", "  "};
    rows[3] = {" ", "", "\t"};
    EXPECT_FALSE(CheckNoStrayRows(layout, rows)) << "blank texts and cleared flags are no loss";
    rows[2][1] = "Y";
    EXPECT_EQ(FirstStrayRow(layout, rows), 2u);
    EXPECT_EQ(CheckNoStrayRows(layout, rows),
              "Error in row 3!! The list ends at row 2, whose Name is empty, so row 3 would not be saved. "
              "Fill in row 2 or clear row 3.");
    rows[2][1] = "";
    rows[3][2] = "z";
    EXPECT_EQ(FirstStrayRow(layout, rows), 3u);
    rows[0] = {"", "", "typed"};  // the row with the empty key cell is lost too
    EXPECT_EQ(CheckNoStrayRows(layout, rows),
              "Error in row 1!! The Name is empty, so the list ends there and row 1 would not be saved. "
              "Fill in the Name or clear row 1.");
}

TEST(EditorTableDocument, LoadsRequiredGuardedAndDecodedCellsIntoAFullTable) {
    TempDir dir;
    const auto path = dir / "list.xml";
    WriteText(path, "<Any><row Name=\"a\" Set=\"Y\" C=\"5\"/><row Name=\"b\"/></Any>");
    const auto layout = SampleLayout();
    const auto rows = LoadRowTable(layout, path);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (TableRow{"a", "Y", "#5"}));
    EXPECT_EQ(rows[1], (TableRow{"b", "N", "none"}));
    EXPECT_EQ(rows[2], (TableRow{"", "", ""}));
    EXPECT_EQ(LoadRowTable(layout, dir / "absent.xml"), EmptyTable(layout));
}

TEST(EditorTableDocument, AMissingRequiredAttributeOrMoreRowsThanTheTableShowsStopTheLoad) {
    TempDir dir;
    const auto path = dir / "list.xml";
    WriteText(path, "<Any><row Name=\"a\"/><row Set=\"Y\"/></Any>");
    EXPECT_EQ(ErrorOf([&] { LoadRowTable(SampleLayout(), path); }),
              "The attribute 'Name' is missing in row 2 of " + path + ".");
    WriteText(path, Repeated("Any", "<row Name=\"n\"/>", 5));
    EXPECT_EQ(ErrorOf([&] { LoadRowTable(SampleLayout(), path); }),
              "The file " + path +
                  " holds 5 items, more than the 4 this window can show. It is not opened, so that saving cannot "
                  "drop any of them.");
    EXPECT_NO_THROW(CheckCapacity(SampleLayout(), 4, path));
}

TEST(EditorTableDocument, EntriesStopAtTheListEndKeepColumnOrderAndLeaveOutUnencodableCells) {
    const auto layout = SampleLayout();
    auto rows = EmptyTable(layout);
    rows[0] = {"a", "", "#7"};
    rows[1] = {"b", "Y", "free"};
    rows[3] = {"lost", "", ""};
    const auto entries = RowListEntries(layout, rows);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (NamedTexts{{"Name", "a"}, {"Set", ""}, {"C", "7"}}));
    EXPECT_EQ(entries[1], (NamedTexts{{"Name", "b"}, {"Set", "Y"}}));
}

TEST(EditorTableTexts, TrimAndRangeFollowTheIntegerRule) {
    EXPECT_EQ(TrimBlanks(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
    for (const char* text : {"0", " 1", "$FFFF"}) EXPECT_TRUE(IntegerInRange(text, 0, 0xFFFF)) << text;
    for (const char* text : {"1 ", "", "0x10000"}) EXPECT_FALSE(IntegerInRange(text, 0, 0xFFFF)) << text;
    EXPECT_TRUE(IntegerInRange("", -1, 0)) << "a non-integer reads as -1";
    EXPECT_EQ(NumberedLabels(2, "Timer T"), (std::vector<std::string>{"Timer T1", "Timer T2"}));
}

}  // namespace
}  // namespace kestrova
