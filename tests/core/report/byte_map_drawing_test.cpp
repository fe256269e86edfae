#include "core/report/byte_map_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "report_fixture.h"

namespace kestrova::testing {
namespace {

// How often `text` is written in the drawing.
long Count(const ByteMapDrawing& drawing, const std::string& text) {
    return std::count_if(drawing.texts.begin(), drawing.texts.end(), [&](const auto& t) { return t.text == text; });
}

TEST(ByteMapDrawing, FitText) {
    const struct {
        const char* text;
        int characters;
        const char* fitted;
    } cases[] = {
        {"Vehicle speed", 13, "Vehicle speed"},
        {"Vehicle speed", 12, "Vehicle spe\u2026"},
        {"Vehicle speed", 1, "\u2026"},
        {"Vehicle speed", 0, ""},
        {"Drehzahl \u00fcber", 10, "Drehzahl \u2026"},  // counted in characters, not bytes
        {"\u00fc\u00fc\u00fc", 3, "\u00fc\u00fc\u00fc"},
    };
    for (const auto& c : cases) EXPECT_EQ(FitText(c.text, c.characters), c.fitted) << c.text << " " << c.characters;
}

TEST(ByteMapDrawing, CellsRowsLabelsAndValues) {
    OutputProject project("worked_example");  // R1 8 bytes, R2 20 bytes, packed; S1 8 bytes
    const IoMap map = BuildIoMap(project.context());
    const ByteMapDrawing wide = DrawByteMap(map, true), narrow = DrawByteMap(map, true, {8, {}});
    ASSERT_EQ(wide.cells.size(), 28u);
    EXPECT_EQ(std::make_pair(wide.rowTops.size(), narrow.rowTops.size()), std::make_pair(size_t{2}, size_t{4}));
    for (const auto& cell : wide.cells) EXPECT_EQ(cell.range, cell.offset < 8 ? 0 : 1) << cell.offset;
    EXPECT_EQ(wide.cells[17].x, wide.cells[1].x);  // byte 17 under byte 1
    EXPECT_GT(wide.cells[17].y, wide.cells[1].y);
    // R2 runs over two rows: labelled in each; at 8 a row its last run of 4 cells cuts the label
    EXPECT_EQ(Count(wide, "Active diagnostic trouble codes"), 2);
    const struct {
        ByteMapDrawing drawing;
        std::vector<const char*> shown, notShown;
    } cases[] = {
        {wide, {"+0", "+15", "0", "16", "27", "Vehicle speed", "Module 1 (slot 1)"}, {}},
        {narrow, {"Active diagnostic trouble \u2026"}, {}},
        {DrawByteMap(map, false), {"Gateway command"}, {}},
        // values in place of the offsets of the bytes they reach
        {DrawByteMap(map, true, {16, {0x3F, 0x00, 0xAB}}), {"3F", "00", "AB", "3", "27"}, {"1"}},
    };
    for (const auto& c : cases) {
        for (const char* text : c.shown) EXPECT_GT(Count(c.drawing, text), 0) << text;
        for (const char* text : c.notShown) EXPECT_EQ(Count(c.drawing, text), 0) << text;
    }
}

TEST(ByteMapDrawing, ModuleBordersAndNumbers) {
    OutputProject project("worked_example");
    project.WritePargen("1", "1");  // modules: R1 (8), R2 (20), input bits (1); S1 (8), output bits (1)
    const IoMap map = BuildIoMap(project.context());
    const ByteMapDrawing input = DrawByteMap(map, true);
    std::set<std::pair<double, double>> heavy;  // (x, y) of each heavy line's top
    for (const auto& line : input.lines)
        if (line.width >= 3) heavy.insert({line.x1, line.y1});
    const auto left = [&](int offset) { return std::make_pair(input.cells[offset].x, input.cells[offset].y); };
    const auto right = [&](int offset) {
        return std::make_pair(input.cells[offset].x + input.cells[offset].width, input.cells[offset].y);
    };
    // each module begins at the left of its first byte and ends at the right of its last
    EXPECT_EQ(heavy, (std::set<std::pair<double, double>>{left(0), right(7), left(8), right(27), left(28), right(28)}));
    // one byte wide: the short form, and as much of the label as six characters hold
    for (const char* text : {"Module 1 (slot 1)", "Module 2 (slot 2)", "M3", "send \u2026"})
        EXPECT_EQ(Count(input, text), 1) << text;
    EXPECT_EQ(Count(DrawByteMap(map, false), "Module 4 (slot 4)"), 1);
}

TEST(ByteMapDrawing, RangeLabels) {
    IoMapRange range;
    range.isFrame = true;
    range.frame = "R4";
    range.dataPage = 1;
    range.pgn = 0xFEF1;
    range.sourceAddress = 3;
    range.mnemonic = "  ";
    EXPECT_EQ(RangeLabel(range), "1/0xFEF1/3");  // no mnemonic: the identity
    range.mnemonic = "Oil\npressure";
    range.offset = range.length = 8;
    range.firstModule = 2;
    range.lastModule = 3;
    EXPECT_EQ(
        RangeDescription(range),
        "R4 Oil pressure: data page 1, PGN 0xFEF1, source address 3, offset 8, length 8, modules 2-3 (slots 2-3)");
    IoMapRange bits;
    bits.frame = "BITS";
    EXPECT_EQ(RangeDescription(bits), "BITS send bits: offset 0, length 0, in no module");
}

TEST(ByteMapDrawing, ColoursFollowTheFrameAndNeighboursDiffer) {
    OutputProject project;
    project.WritePargen();
    WriteDistinctFrames(project, 30, 0);
    const IoMap all = BuildIoMap(project.context());
    const auto bands = MapBands(all, true);
    ASSERT_EQ(bands.size(), 30u);
    std::set<std::string> colours{bands[0].colour};
    for (size_t i = 1; i < bands.size(); ++i) {
        EXPECT_NE(bands[i].colour, bands[i - 1].colour) << i;
        colours.insert(bands[i].colour);
    }
    EXPECT_GE(colours.size(), 6u);
    const ByteMapDrawing output = DrawByteMap(all, false);  // no send frames: an empty side
    EXPECT_TRUE(output.bytes == 0 && output.cells.empty() && output.texts.empty());

    // The first frames keep their colours when frames are added behind them.
    WriteDistinctFrames(project, 10, 0);
    const auto fewer = MapBands(BuildIoMap(project.context()), true);
    for (size_t i = 0; i < fewer.size(); ++i) EXPECT_EQ(fewer[i].colour, bands[i].colour) << i;
}

}  // namespace
}  // namespace kestrova::testing
