#include "core/canopen/emcy_word.h"

#include <gtest/gtest.h>

#include "core/project/error.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

// A document row of a word; its bit 0 mask byte 1 holds `mark` to tell words apart.
std::string Row(const std::string& extdata, const std::string& id, const std::string& index,
                const std::string& subindex, const std::string& mark = "") {
    std::string row = "<row index_addrm=\"" + index + "\" subindex=\"" + subindex + "\" extdata=\"" + extdata +
                      "\" devid=\"" + id + "\"";
    for (int n = 0; n < 16; ++n) {
        const std::string bit = "bit" + std::to_string(n);
        row += " " + bit + "_b0=\"" + (n == 0 ? mark : "") + "\" " + bit + "_b1=\"\" " + bit + "_poscomp=\"\"";
    }
    return row + "/>";
}

std::vector<std::string> Marks(const std::vector<TClWEmcy>& words) {
    std::vector<std::string> marks;
    for (const auto& word : words) marks.push_back(word.bits[0].maskByte1);
    return marks;
}

TEST(EmcyWordTree, NodePositionGivesWordAndBitCaptionsShowTheBitNumber) {
    EXPECT_EQ(TreeNodeAt(kTreeNodesPerWord - 1).bit, 15u);
    EXPECT_EQ(TreeNodeAt(2 * kTreeNodesPerWord).word, 2u);
    EXPECT_EQ(BitCaption(kTreeNodesPerWord + 1), "Mask BIT n°0 Define") << "bit 0 of the second word";
    EXPECT_EQ(BitCaption(2 * kTreeNodesPerWord), kBitCaptionEmpty) << "a word node shows no bit number";
}

TEST(EmcyWordBits, CombinedValuePacksTwoBytesModulo65536AndShowsBack) {
    const struct {
        const char *byte1, *byte2, *combined, *shown1, *shown2;
    } cases[] = {{"3", "5", "53", "3", "5"},
                 {"0", "20", "20", "1", "4"},
                 {"4096", "1", "1", "0", "1"},
                 {"0x10", "$F", "271", "16", "15"},
                 {"-1", "0", "65520", "4095", "0"}};
    for (const auto& c : cases) {
        EXPECT_EQ(CombinedEmcyValue(c.byte1, c.byte2), c.combined) << c.byte1 << "," << c.byte2;
        EXPECT_EQ(EmcyBytesOf(c.combined), (std::array<std::string, 2>{c.shown1, c.shown2}));
    }
    EXPECT_EQ(EmcyBytesOf(""), (std::array<std::string, 2>{})) << "a bit never set shows empty fields";
    EXPECT_EQ(ErrorText([] { EmcyBytesOf("5h"); }), "'5h' is not a valid integer value");

    TClWEmcy word;
    EXPECT_THROW(ModifyEmcyBit(word, 2, "m1", "m2", "3", "five"), Error);
    EXPECT_EQ(word.bits[2], (ClEbm{"m1", "m2", ""})) << "the mask bytes are taken before the EMCY bytes fail";
}

TEST(EmcyWordEdit, NewAndModifyRefuseEmptyOrRepeatedTextsOnTheSamePageOnly) {
    EmcyWordPages pages;
    EXPECT_FALSE(NewEmcyWord(pages, CanSide::A, "10", "1", "5"));
    EXPECT_EQ(NewEmcyWord(pages, CanSide::A, "10", "", "5"), kEmcyIndexNotValid);
    EXPECT_EQ(NewEmcyWord(pages, CanSide::A, "10", "1", "5"), kEmcyIndexNotValid);
    EXPECT_FALSE(NewEmcyWord(pages, CanSide::B, "10", "1", "5")) << "the other page is not compared";
    EXPECT_FALSE(NewEmcyWord(pages, CanSide::A, "0xA", "1", "5")) << "texts are compared as texts";
    EXPECT_FALSE(ModifyEmcyWord(pages, CanSide::A, 0, "10", "1", "5")) << "a word is not compared with itself";
    EXPECT_EQ(ModifyEmcyWord(pages, CanSide::A, 0, "0xA", "1", "5"), kEmcyIndexNotValid);
    EXPECT_EQ(pages.Side(CanSide::A)[0].index, "10");

    DeleteEmcyWord(pages, CanSide::A, 0);  // W0 of W0, W1: the next word is W2
    NewEmcyWord(pages, CanSide::A, "1", "1", "1");
    EXPECT_EQ(pages.Side(CanSide::A).back().number, 2);
}

TEST(EmcyWordLoad, ExtdataChoosesThePageOtherValuesDropTheRowAndFailuresKeepEarlierWords) {
    TempDir dir;
    const auto path = dir / "emcyword.xml";
    EXPECT_EQ(LoadEmcyWords(path).message, "File XML not found");

    WriteText(path, "<any>" + Row("1", "1", "1", "1", "b0") + Row("0", "1", "1", "1", "a0") +
                        Row("2", "1", "1", "1", "dropped") + Row("0", "1", "1", "1", "a1") + "</any>");
    auto load = LoadEmcyWords(path);
    EXPECT_FALSE(load.message);
    EXPECT_EQ(Marks(load.pages.Side(CanSide::A)), (std::vector<std::string>{"a0", "a1"}));
    EXPECT_EQ(load.pages.Side(CanSide::A)[1].number, 1);
    EXPECT_EQ(Marks(load.pages.Side(CanSide::B)), (std::vector<std::string>{"b0"}));

    for (const std::string& bad : {Row("x", "1", "1", "1"), std::string("<row index_addrm=\"1\"/>")}) {
        WriteText(path, "<emcyword>" + Row("0", "1", "1", "1", "a0") + bad + Row("0", "1", "1", "1") + "</emcyword>");
        load = LoadEmcyWords(path);
        EXPECT_EQ(load.message, "Error in reading file XML");
        EXPECT_EQ(Marks(load.pages.Side(CanSide::A)), (std::vector<std::string>{"a0"}));
    }
}

TEST(EmcyWordSave, OrdersByIdIndexSubindexLaterTiesFirstAndKeepsWordsAboveTheCeiling) {
    TempDir dir;
    const auto path = dir / "emcyword.xml";
    EmcyWordPages pages;
    const auto add = [&pages](CanSide side, const char* id, const char* index, const char* subindex, const char* mark) {
        TClWEmcy word;
        word.id = id, word.index = index, word.subindex = subindex, word.bits[0].maskByte1 = mark;
        AddLoadedWord(pages, side, word);
    };
    add(CanSide::A, "5", "10", "1", "w0");
    add(CanSide::A, "1000000", "1", "1", "high0");
    add(CanSide::A, "3", "20", "0", "w2");
    add(CanSide::A, "3", "15", "2", "w3");
    add(CanSide::A, "0x3", "0xF", "2", "w4");
    add(CanSide::A, "999999", "999999", "1000000", "high1");
    add(CanSide::B, "9", "9", "9", "b0");
    SaveEmcyWords(path, pages);

    const auto saved = LoadEmcyWords(path).pages;
    EXPECT_EQ(Marks(saved.Side(CanSide::A)), (std::vector<std::string>{"w4", "w3", "w2", "w0", "high0", "high1"}));
    EXPECT_EQ(Marks(saved.Side(CanSide::B)), (std::vector<std::string>{"b0"}));
    const std::string text = ReadText(path);
    EXPECT_EQ(text.rfind("<emcyword><row index_addrm=\"0xF\" subindex=\"2\" extdata=\"0\" devid=\"0x3\" bit0_b0=\"w4\" "
                         "bit0_b1=\"\" bit0_poscomp=\"\" bit1_b0=\"\"",
                         0),
              0u);
    EXPECT_NE(text.find("extdata=\"1\" devid=\"9\""), std::string::npos);

    add(CanSide::B, "9", "ten", "9", "bad");
    EXPECT_EQ(ErrorText([&] { SaveEmcyWords(path, pages); }), "'ten' is not a valid integer value");
    EXPECT_EQ(ReadText(path), text) << "a refused save leaves the document as it was";
}

TEST(EmcyWordExchange, ExportLinesHoldIdBeforeSideAndImportRecordsTakeSideBeforeId) {
    EmcyWordPages pages;
    std::vector<std::optional<std::string>> record(kEmcyWordAttributes);
    record[0] = "0x1000", record[1] = "2", record[2] = "1", record[3] = "7";
    record[4] = "m1", record[5] = "m2", record[6] = "53", record[51] = "15c";
    ImportEmcyWordRecord(pages, SpreadsheetRecord(record));
    record[2] = "2";
    ImportEmcyWordRecord(pages, SpreadsheetRecord(record));  // dropped
    ASSERT_EQ(pages.Side(CanSide::B).size(), 1u);
    EXPECT_TRUE(pages.Side(CanSide::A).empty());
    const TClWEmcy& word = pages.Side(CanSide::B)[0];
    EXPECT_EQ(word.bits[0], (ClEbm{"m1", "m2", "53"}));
    EXPECT_EQ(word.bits[15].combined, "15c");
    EXPECT_EQ(word.bits[1], ClEbm{}) << "null fields give empty texts";

    const auto lines = EmcyWordExportLines(pages);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), kEmcyWordAttributes);
    EXPECT_EQ((std::vector<std::string>(lines[0].begin(), lines[0].begin() + 7)),
              (std::vector<std::string>{"0x1000", "2", "7", "1", "m1", "m2", "53"}));

    record[2] = std::nullopt;
    EXPECT_THROW(ImportEmcyWordRecord(pages, SpreadsheetRecord(record)), Error) << "a side that is not an integer";
    record.resize(51);
    EXPECT_THROW(ImportEmcyWordRecord(pages, SpreadsheetRecord(record)), Error) << "no bit 15 value";
}

}  // namespace
}  // namespace kestrova
