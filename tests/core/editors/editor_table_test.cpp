#include "core/editors/editor_table.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace kestrova {
namespace {

// A small list: key "Name", a flag and a text.
TableLayout SampleLayout() {
    TableLayout layout;
    layout.rowLabels = NumberedLabels(4);
    layout.columns = {TextColumn("Name", "Name", true), FlagColumn("Set", "Set"), TextColumn("Code", "C")};
    layout.keyName = "Name";
    layout.rowNamePrefix = "row ";
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

TEST(EditorTableStrayRows, OnlyTextOrAFlagOtherThanEmptyOrNFromTheListEndOnIsRefusedNamingBothRows) {
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
    rows[2][1] = "y";  // hand-edited: not a tick, but still data the list would lose
    EXPECT_EQ(FirstStrayRow(layout, rows), 2u);
    rows[2][1] = "";
    rows[3][2] = "z";
    EXPECT_EQ(FirstStrayRow(layout, rows), 3u);
    rows[0] = {"", "", "typed"};  // the row with the empty key cell is lost too
    EXPECT_EQ(CheckNoStrayRows(layout, rows),
              "Error in row 1!! The Name is empty, so the list ends there and row 1 would not be saved. "
              "Fill in the Name or clear row 1.");
}

TEST(EditorTableFlags, OnlyAnExactYIsTickedToggleAndDeleteFollowIt) {
    EXPECT_TRUE(FlagTicked("Y"));
    for (const char* text : {"y", "N", "", " Y"}) EXPECT_FALSE(FlagTicked(text)) << text;
    EXPECT_EQ(ToggledFlag("Y"), "N");
    for (const char* text : {"N", "", "y"}) EXPECT_EQ(ToggledFlag(text), "Y") << text;
    EXPECT_EQ(ClearedCell(CellKind::Flag, "Y"), "N");
    EXPECT_EQ(ClearedCell(CellKind::Flag, "y"), "N");
    EXPECT_EQ(ClearedCell(CellKind::Flag, ""), "") << "an untouched check box stays untouched";
    EXPECT_EQ(ClearedCell(CellKind::Text, "EEC1"), "");
    EXPECT_EQ(ClearedCell(CellKind::Pick, "Data Change"), "");
}

// Loading, capacity and writing are proven through the real layouts in the list editors' tests.

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
