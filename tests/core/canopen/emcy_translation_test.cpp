#include "core/canopen/emcy_translation.h"

#include <gtest/gtest.h>

#include "core/project/xml_document.h"
#include "support/error_text.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

std::string Workbook(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

std::string Row(const std::string& id, const std::string& bypass, const std::string& maskM2 = "7") {
    return "<row id_dev=\"" + id + "\" mask_eq_ec=\"1\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"" + maskM2 +
           "\" mask_eq_m3=\"5\" enmask_eq_ec=\"6\" enmask_eq_er=\"\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" "
           "enmask_eq_m3=\"10\" bypass_set=\"" +
           bypass + "\"/>";
}

EmcyForm Form(const std::string& id, const std::string& mask = "") {
    EmcyForm form;
    form.texts[kEmcyId] = id;
    form.texts[kEmcyMaskEc] = mask;
    return form;
}

std::vector<std::string> WrittenIds(const std::string& path) {
    std::vector<std::string> ids;
    const auto document = ReadRowList(path);
    for (const XmlRow& row : document->rows) ids.push_back(row.Required("id_dev") + "/" + row.Required("bypass_set"));
    return ids;
}

class EmcyTranslation : public ::testing::Test {
protected:
    testing::TempDir dir;
    EmcyLoad Load(const std::string& rows) {
        testing::WriteText(dir / "emcydef.xml", "<other>" + rows + "</other>");
        return LoadEmcyTranslation(dir / "emcydef.xml");
    }
};

TEST_F(EmcyTranslation, Bit5OfBypassSetChoosesTheSideBit0EnablesBits1To4PlaceTheId) {
    const EmcyLoad load = Load(Row("1", "37") + Row("2", "2") + Row("3", "0") + Row("4", "$FFFFFFFE"));
    EXPECT_FALSE(load.message);
    const EmcyPage& a = load.pages.Side(CanSide::A);
    const EmcyPage& b = load.pages.Side(CanSide::B);
    ASSERT_EQ(b.entries.size(), 2u);
    EXPECT_TRUE(b.entries[0].enabled);
    EXPECT_EQ(b.entries[0].code, 2);
    EXPECT_EQ(b.entries[1].code, 15);  // bits above bit 5 ignored
    ASSERT_EQ(a.items, (std::vector<std::string>{"2", "3"}));
    EXPECT_FALSE(a.entries[0].enabled);
    EXPECT_EQ(a.entries[0].code, 1);
    EXPECT_EQ(a.entries[1].code, 0);
    EXPECT_EQ(a.entries[0].texts[kEmcyEnMaskEr], "0");  // empty reads as "0"
    EXPECT_EQ(a.selected, std::optional<size_t>(0));
    EXPECT_EQ(bypass_set(b.entries[0], CanSide::B), 37);
    EXPECT_EQ(bypass_set(a.entries[0], CanSide::A), 2);
}

TEST_F(EmcyTranslation, LoadingMessages) {
    EXPECT_EQ(LoadEmcyTranslation(dir / "emcydef.xml").message, std::optional<std::string>("File XML not found"));
    const std::string noMaskM2 =
        "<row id_dev=\"9\" mask_eq_ec=\"1\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m3=\"5\" "
        "enmask_eq_ec=\"6\" enmask_eq_er=\"\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" "
        "enmask_eq_m3=\"10\" bypass_set=\"0\"/>";
    for (const std::string& bad : {noMaskM2, Row("9", "1 "), Row("9", "")}) {
        const EmcyLoad load = Load(Row("5", "0", "") + bad + Row("6", "0"));
        EXPECT_EQ(load.message, std::optional<std::string>("Error in reading file XML"));
        ASSERT_EQ(load.pages.Side(CanSide::A).items, std::vector<std::string>{"5"});
        EXPECT_EQ(load.pages.Side(CanSide::A).entries[0].texts[kEmcyMaskM2], "0");
    }
}

TEST(EmcyEditing, IdsAreComparedAsTextsOnTheirOwnPage) {
    EmcyPage page;
    EXPECT_FALSE(NewEmcy(page, Form("5")));
    EXPECT_EQ(NewEmcy(page, Form("5")), std::optional<std::string>("Index Not Valid"));
    EXPECT_EQ(NewEmcy(page, Form("")), std::optional<std::string>("Index Not Valid"));
    EXPECT_FALSE(NewEmcy(page, Form("0x5")));  // the same value, another text
    EXPECT_EQ(page.items, (std::vector<std::string>{"5", "0x5"}));
    EXPECT_EQ(page.selected, std::optional<size_t>(1));

    EmcyPage other;
    EXPECT_FALSE(NewEmcy(other, Form("5")));
}

TEST(EmcyEditing, NewWithoutSelectionIsUncheckedAndModifyChecksOnlyAChangedId) {
    EmcyPage page;
    EXPECT_FALSE(NewEmcy(page, Form("", "")));
    EXPECT_EQ(page.items, std::vector<std::string>{""});
    EXPECT_EQ(page.entries[0].texts[kEmcyId], "0");
    EXPECT_EQ(page.entries[0].texts[kEmcyMaskEc], "0");

    EXPECT_FALSE(NewEmcy(page, Form("7")));
    EXPECT_FALSE(ModifyEmcy(page, Form("7", "70000")));  // unchanged ID: no check
    EXPECT_EQ(page.entries[1].texts[kEmcyMaskEc], "70000");
    EXPECT_EQ(ModifyEmcy(page, Form("")), std::optional<std::string>("Index Not Valid"));
    EXPECT_FALSE(ModifyEmcy(page, Form("200")));
    EXPECT_EQ(page.items, (std::vector<std::string>{"", "200"}));

    DeleteEmcy(page);
    EXPECT_EQ(page.items, std::vector<std::string>{""});
    EXPECT_FALSE(page.selected);
    EXPECT_FALSE(ModifyEmcy(page, Form("1")));  // nothing selected: nothing happens
    EXPECT_EQ(page.items, std::vector<std::string>{""});
}

TEST_F(EmcyTranslation, OkWritesEachSideByIdLaterInListFirstOnTiesAndDropsNothing) {
    EmcyPages pages;
    for (const char* id : {"20", "3", "7", "11", "1000000", "0x7"}) pages.Side(CanSide::A).items.push_back(id);
    pages.Side(CanSide::A).entries.resize(6);
    for (size_t i = 0; i < 6; ++i) pages.Side(CanSide::A).entries[i].texts[kEmcyId] = pages.Side(CanSide::A).items[i];
    EXPECT_EQ(EmcyWriteOrder(pages.Side(CanSide::A)), (std::vector<size_t>{1, 5, 2, 3, 0, 4}));

    ASSERT_FALSE(NewEmcy(pages.Side(CanSide::B), Form("4")));
    pages.Side(CanSide::B).entries[0].enabled = true;
    pages.Side(CanSide::B).entries[0].code = 8;
    WriteEmcyTranslation(dir / "emcydef.xml", pages);
    EXPECT_EQ(WrittenIds(dir / "emcydef.xml"),
              (std::vector<std::string>{"3/0", "0x7/0", "7/0", "11/0", "20/0", "1000000/0", "4/49"}));
    EXPECT_EQ(ReadRowList(dir / "emcydef.xml")->rootName, "emcydef");

    const EmcyLoad load = LoadEmcyTranslation(dir / "emcydef.xml");
    EXPECT_EQ(load.pages.Side(CanSide::B).entries[0], pages.Side(CanSide::B).entries[0]);
}

TEST_F(EmcyTranslation, AnIdThatIsNotAnIntegerStopsOkBeforeAnythingIsWritten) {
    EmcyPages pages;
    ASSERT_FALSE(NewEmcy(pages.Side(CanSide::B), Form("")));
    testing::WriteText(dir / "emcydef.xml", "<emcydef/>");
    EXPECT_EQ(testing::ErrorText([&] { WriteEmcyTranslation(dir / "emcydef.xml", pages); }),
              "'' is not a valid integer value");
    EXPECT_EQ(testing::ReadText(dir / "emcydef.xml"), "<emcydef/>");
}

TEST_F(EmcyTranslation, ExportKeepsListOrderAndWritesTwelveFields) {
    const EmcyLoad load = Load(Row("20", "33") + Row("3", "3") + Row("11", "0"));
    const std::vector<CsvLine> lines = EmcyExportLines(load.pages);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], (CsvLine{"3", "1", "2", "3", "7", "5", "6", "0", "8", "9", "10", "3"}));
    EXPECT_EQ(lines[1][0], "11");
    EXPECT_EQ(lines[2][0], "20");
    EXPECT_EQ(lines[2][11], "33");
}

TEST(EmcyImport, RecordsGoToTheSideOfField11AsTheyStand) {
    EmcyPages pages;
    pages.Side(CanSide::A).items = {"old"};
    pages.Side(CanSide::A).entries.resize(1);
    testing::RecordingDialogs dialogs;
    EXPECT_TRUE(ImportEmcyTranslation(dialogs, Workbook("canopen.xls"), pages));
    EXPECT_EQ(pages.Side(CanSide::A).items, (std::vector<std::string>{"20", "3"}));
    EXPECT_EQ(pages.Side(CanSide::B).items, std::vector<std::string>{"5"});
    const TClEmcy& b = pages.Side(CanSide::B).entries[0];
    EXPECT_EQ(b.texts[kEmcyMaskEc], "");  // not replaced by "0" on import
    EXPECT_TRUE(b.enabled);
    EXPECT_EQ(b.code, 2);
    EXPECT_EQ(pages.Side(CanSide::A).entries[1].code, 8);
    EXPECT_EQ(pages.Side(CanSide::B).selected, std::optional<size_t>(0));
}

}  // namespace
}  // namespace kestrova
