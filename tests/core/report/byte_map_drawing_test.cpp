#include "core/report/byte_map_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "report_fixture.h"

namespace kestrova::testing {
namespace {

std::vector<std::string> Texts(const ByteMapDrawing& drawing) {
    std::vector<std::string> texts;
    for (const auto& text : drawing.texts) texts.push_back(text.text);
    return texts;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
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

TEST(ByteMapDrawing, CellsRowsAndBandLabels) {
    OutputProject project("worked_example");  // R1 8 bytes, R2 20 bytes, packed
    const IoMap map = BuildIoMap(project.context());
    const ByteMapDrawing wide = DrawByteMap(map, true);
    EXPECT_EQ(wide.bytes, 28);
    ASSERT_EQ(wide.cells.size(), 28u);
    EXPECT_EQ(wide.rowTops.size(), 2u);
    EXPECT_EQ(DrawByteMap(map, true, {8, {}}).rowTops.size(), 4u);
    for (const auto& cell : wide.cells) EXPECT_EQ(cell.range, cell.offset < 8 ? 0 : 1) << cell.offset;
    EXPECT_EQ(wide.cells[17].x, wide.cells[1].x);  // byte 17 under byte 1
    EXPECT_GT(wide.cells[17].y, wide.cells[1].y);

    const auto texts = Texts(wide);
    for (const char* text : {"+0", "+15", "0", "16", "27", "Vehicle speed", "Module 1 (slot 1)"})
        EXPECT_TRUE(Has(texts, text)) << text;
    // R2 runs over two rows: labelled in each; at 8 a row its last run of 4 cells cuts the label
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Active diagnostic trouble codes"), 2);
    EXPECT_TRUE(Has(Texts(DrawByteMap(map, true, {8, {}})), "Active diagnostic trouble \u2026"));

    const ByteMapDrawing output = DrawByteMap(map, false);
    EXPECT_EQ(output.cells.size(), 8u);
    EXPECT_TRUE(Has(Texts(output), "Gateway command"));
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
    const std::set<std::pair<double, double>> expected = {left(0), right(7), left(8), right(27), left(28), right(28)};
    EXPECT_EQ(heavy, expected);
    const auto texts = Texts(input);
    EXPECT_TRUE(Has(texts, "Module 1 (slot 1)"));
    EXPECT_TRUE(Has(texts, "Module 2 (slot 2)"));
    EXPECT_TRUE(Has(texts, "M3"));           // one byte wide: the short form
    EXPECT_TRUE(Has(texts, "send \u2026"));  // one cell holds six characters
    EXPECT_TRUE(Has(Texts(DrawByteMap(map, false)), "Module 4 (slot 4)"));
}

TEST(ByteMapDrawing, ValuesInsteadOfOffsets) {
    OutputProject project("worked_example");
    const IoMap map = BuildIoMap(project.context());
    const auto texts = Texts(DrawByteMap(map, true, {16, {0x3F, 0x00, 0xAB}}));
    for (const char* text : {"3F", "00", "AB", "3", "27"}) EXPECT_TRUE(Has(texts, text)) << text;
    EXPECT_FALSE(Has(texts, "1"));  // byte 1 shows its value now
}

TEST(ByteMapDrawing, AFrameWithoutMnemonicIsLabelledByItsIdentity) {
    IoMapRange range;
    range.isFrame = true;
    range.dataPage = 1;
    range.pgn = 0xFEF1;
    range.sourceAddress = 3;
    range.mnemonic = "  ";
    EXPECT_EQ(RangeLabel(range), "1/0xFEF1/3");
    range.mnemonic = "Oil\npressure";
    EXPECT_EQ(RangeLabel(range), "Oil pressure");
    range.frame = "R4";
    range.offset = 8;
    range.length = 8;
    range.firstModule = range.lastModule = 2;
    EXPECT_EQ(RangeDescription(range),
              "R4 Oil pressure: data page 1, PGN 0xFEF1, source address 3, offset 8, length 8, module 2 (slot 2)");
    range.lastModule = 3;
    EXPECT_EQ(RangeModules(range), "2-3");
    IoMapRange bits;
    bits.frame = "BITS";
    EXPECT_EQ(RangeLabel(bits), "send bits");
    EXPECT_EQ(RangeDescription(bits), "BITS send bits: offset 0, length 0, in no module");
}

TEST(ByteMapDrawing, ColoursFollowTheFrameAndNeighboursDiffer) {
    OutputProject project;
    project.WritePargen();
    WriteDistinctFrames(project, 30, 0);
    const IoMap all = BuildIoMap(project.context());
    const auto bands = MapBands(all, true);
    ASSERT_EQ(bands.size(), 30u);
    for (size_t i = 1; i < bands.size(); ++i) EXPECT_NE(bands[i].colour, bands[i - 1].colour) << i;
    std::set<std::string> colours;
    for (const auto& band : bands) colours.insert(band.colour);
    EXPECT_GE(colours.size(), 6u);

    // The first frames keep their colours when frames are added behind them.
    WriteDistinctFrames(project, 10, 0);
    const auto fewer = MapBands(BuildIoMap(project.context()), true);
    for (size_t i = 0; i < fewer.size(); ++i) EXPECT_EQ(fewer[i].colour, bands[i].colour) << i;
}

TEST(ByteMapDrawing, AnEmptySideHasNoCells) {
    OutputProject project;
    project.WritePargen();
    WriteDistinctFrames(project, 2, 0);
    const ByteMapDrawing output = DrawByteMap(BuildIoMap(project.context()), false);
    EXPECT_EQ(output.bytes, 0);
    EXPECT_TRUE(output.cells.empty());
    EXPECT_TRUE(output.texts.empty());
}

}  // namespace
}  // namespace kestrova::testing
