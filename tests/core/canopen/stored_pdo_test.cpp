#include "core/canopen/stored_pdo.h"

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

struct Documents {
    TempDir dir;
    std::string sdo = dir / "sdo.xml", rpdo = dir / "rpdodef.xml", sdoPdo = dir / "sdopdo.xml";

    StoredPdoLoad Load() const { return LoadStoredPdos(sdo, rpdo, sdoPdo); }
};

std::string PdoRows(const std::vector<const char*>& bypass) {
    std::string rows;
    for (size_t i = 0; i < bypass.size(); ++i)
        rows += "<row cobid=\"pdo" + std::to_string(i) + "\" en_bypass=\"" + bypass[i] + "\" n_tpdo=\"1\"/>";
    return "<rpdodef>" + rows + "</rpdodef>";
}

std::string SdoPdoRow(const char* nrpdo, const char* index) {
    return std::string("<row index=\"") + index + "\" subindex=\"1\" nrpdo=\"" + nrpdo + "\" poscomp=\"56\"/>";
}

StoredPdoPages TwoPdosASide() {
    StoredPdoPages pages;
    pages.Side(CanSide::A).pdos = {{"p1", 1, {}}, {"p2", 2, {}}};
    pages.Side(CanSide::B).pdos = {{"q1", 1, {}}, {"q2", 2, {}}};
    return pages;
}

TEST(StoredPdoLoad, BypassBitChoosesThePdoSideAndNrpdoAttachesOrDropsTheSdo) {
    Documents documents;
    EXPECT_EQ(documents.Load().messages, (std::vector<std::string>{"File SDO XML not found", "File PDO XML not found",
                                                                   "File SDOPDO XML not found"}));

    WriteText(documents.sdo,
              "<s><row conf=\"17\" IndexA=\"1\" SubindexA=\"2\"/><row conf=\"16\" IndexA=\"3\" "
              "SubindexA=\"4\"/></s>");
    WriteText(documents.rpdo, PdoRows({"0", "2", "0"}));
    WriteText(documents.sdoPdo, "<x>" + SdoPdoRow("2", "a2") + SdoPdoRow("129", "b1") + SdoPdoRow("130", "dropped") +
                                    SdoPdoRow("3", "dropped") + "</x>");
    auto load = documents.Load();
    EXPECT_TRUE(load.messages.empty());
    const auto& a = load.pages.Side(CanSide::A);
    const auto& b = load.pages.Side(CanSide::B);
    ASSERT_EQ(a.pdos.size(), 2u);
    EXPECT_EQ(a.pdos[1].name, "pdo2");
    EXPECT_EQ(a.pdos[1].number, 2);
    EXPECT_EQ(a.pdos[1].sdos, (std::vector<TClSdo>{{"a2", "1", "56"}}));
    ASSERT_EQ(b.pdos.size(), 1u);
    EXPECT_EQ(b.pdos[0].sdos, (std::vector<TClSdo>{{"b1", "1", "56"}}));
    EXPECT_EQ(a.access[0].index, "3");
    EXPECT_EQ(b.access[0].subindex, "2");

    WriteText(documents.sdoPdo,
              "<x>" + SdoPdoRow("1", "kept") + SdoPdoRow("128", "zero") + SdoPdoRow("1", "after") + "</x>");
    WriteText(documents.rpdo, PdoRows({"0", "bad", "0"}));
    load = documents.Load();
    EXPECT_EQ(load.messages,
              (std::vector<std::string>{"Error in reading file PDO XML", "Error in reading file SDOPDO XML"}));
    EXPECT_EQ(load.pages.Side(CanSide::A).pdos[0].sdos.size(), 1u) << "PDO number 0 stops; earlier SDOs stay";
}

TEST(StoredPdoEdit, ValidationComparesIntegersAccessEntriesFirstAndOnlyOnTheSameSide) {
    StoredPdoPages pages = TwoPdosASide();
    pages.Side(CanSide::A).access = {{"0x1800", "0"}};
    pages.Side(CanSide::B).pdos.clear();
    EXPECT_FALSE(NewSdo(pages, CanSide::A, 1, {"8192", "1", "0"}));
    EXPECT_EQ(NewSdo(pages, CanSide::A, 0, {"0x2000", "1", "0"}), kSdoNotValid);
    EXPECT_EQ(NewSdo(pages, CanSide::A, 0, {"6144", "$0", "0"}), kSdoAlreadyExists);
    EXPECT_FALSE(CheckSdo(pages, CanSide::B, "6144", "0")) << "side B checks its own entries only";
    EXPECT_FALSE(CheckSdo(pages, CanSide::B, "not", "read")) << "nothing to compare, nothing converted";
    EXPECT_EQ(ErrorText([&] { CheckSdo(pages, CanSide::A, "0x", "1"); }), "'0x' is not a valid integer value");

    EXPECT_FALSE(ModifySdo(pages, CanSide::A, {1, 0}, {"8192", "1", "17"})) << "not compared with itself";
    EXPECT_EQ(pages.Side(CanSide::A).pdos[1].sdos[0].byteSelection, "17");
    NewSdo(pages, CanSide::A, 0, {"1", "1", "0"});
    EXPECT_EQ(ModifySdo(pages, CanSide::A, {0, 0}, {"8192", "1", "0"}), kSdoNotValid);
}

TEST(StoredPdoEdit, ByteSelectionIsHighTimes16PlusLow) {
    EXPECT_EQ(ByteSelectionText(3, 8), "56");
    for (const auto& [text, high, low] : std::vector<std::tuple<const char*, int, int>>{
             {"56", 3, 8}, {"0", 0, 0}, {"0x1FF", 15, 15}, {"137", 8, 9}, {"-1", 15, 15}}) {
        EXPECT_EQ(ByteSelectionOf(text).high, high) << text;
        EXPECT_EQ(ByteSelectionOf(text).low, low) << text;
    }
    EXPECT_THROW(ByteSelectionOf(""), Error) << "paste before any copy";
}

TEST(StoredPdoSave, OrdersEachSideAcrossPdosEarlierTiesFirstAndKeepsSdosAboveTheCeiling) {
    TempDir dir;
    StoredPdoPages pages = TwoPdosASide();
    auto& a = pages.Side(CanSide::A).pdos;
    a[0].sdos = {{"4096", "1", "a"}, {"0x1000", "2", "tie-first"}, {"0x99999A", "0", "high"}};
    a[1].sdos = {{"4096", "2", "tie-second"}, {"256", "0", "b"}};
    pages.Side(CanSide::B).pdos[1].sdos = {{"1", "1", "c"}};
    SaveStoredPdos(dir / "sdopdo.xml", pages);
    EXPECT_EQ(ReadText(dir / "sdopdo.xml"),
              "<sdopdo><row index=\"256\" subindex=\"0\" nrpdo=\"2\" poscomp=\"b\"/>"
              "<row index=\"4096\" subindex=\"1\" nrpdo=\"1\" poscomp=\"a\"/>"
              "<row index=\"0x1000\" subindex=\"2\" nrpdo=\"1\" poscomp=\"tie-first\"/>"
              "<row index=\"4096\" subindex=\"2\" nrpdo=\"2\" poscomp=\"tie-second\"/>"
              "<row index=\"0x99999A\" subindex=\"0\" nrpdo=\"1\" poscomp=\"high\"/>"
              "<row index=\"1\" subindex=\"1\" nrpdo=\"130\" poscomp=\"c\"/></sdopdo>");

    a[1].sdos.push_back({"1", "", "0"});
    EXPECT_THROW(SaveStoredPdos(dir / "other.xml", pages), Error);
    EXPECT_FALSE(std::ifstream(dir / "other.xml")) << "nothing is written";
}

TEST(StoredPdoExchange, ExportLinesCarryFourFieldsAndImportAttachesByNrpdo) {
    StoredPdoPages pages = TwoPdosASide();
    pages.Side(CanSide::A).pdos.pop_back();
    pages.Side(CanSide::A).pdos[0].sdos = {{"1", "1", "0"}, {"2", "1", "0"}, {"3", "1", "0"}};
    pages.Side(CanSide::B).pdos[0].sdos = {{"4", "0", "17"}};
    pages.Side(CanSide::B).pdos[1].sdos = {{"5", "0", "18"}};
    const auto lines = StoredPdoExportLines(pages);
    ASSERT_EQ(lines.size(), 5u);
    for (const auto& line : lines) EXPECT_EQ(line.size(), 4u);
    EXPECT_EQ(lines[3], (std::vector<std::string>{"4", "0", "129", "17"}));
    EXPECT_EQ(lines[4][2], "130");

    ClearCorrelatedSdos(pages);
    EXPECT_EQ(pages.Side(CanSide::B).pdos.size(), 2u) << "the PDOs stay";
    ImportSdoPdoRecord(pages, SpreadsheetRecord({"0x2000", std::nullopt, "130", "56"}));
    ImportSdoPdoRecord(pages, SpreadsheetRecord({"1", "1", "3", "0"}));  // side A has one PDO: dropped
    EXPECT_EQ(pages.Side(CanSide::B).pdos[1].sdos, (std::vector<TClSdo>{{"0x2000", "", "56"}}));
    EXPECT_TRUE(pages.Side(CanSide::A).pdos[0].sdos.empty());
    EXPECT_EQ(ErrorText([&] {
                  ImportSdoPdoRecord(pages, SpreadsheetRecord({"1", "1", std::nullopt, "0"}));
              }),
              "column C is empty");
    EXPECT_THROW(ImportSdoPdoRecord(pages, SpreadsheetRecord({"1", "1", "128", "0"})), Error) << "PDO number 0";
}

}  // namespace
}  // namespace kestrova
