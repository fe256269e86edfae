#include "core/canopen/emcy_translation.h"

#include <gtest/gtest.h>

#include "core/project/xml_document.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

std::string Row(const std::string& id, const std::string& bypass, const std::string& maskM2 = " mask_eq_m2=\"7\"") {
    return "<row id_dev=\"" + id + "\" mask_eq_ec=\"1\" mask_eq_er=\"2\" mask_eq_m1=\"3\"" + maskM2 +
           " mask_eq_m3=\"5\" enmask_eq_ec=\"6\" enmask_eq_er=\"\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" "
           "enmask_eq_m3=\"10\" bypass_set=\"" +
           bypass + "\"/>";
}

EmcyForm Form(const std::string& id, const std::string& mask = "") {
    EmcyForm form;
    form.texts[kEmcyId] = id;
    form.texts[kEmcyMaskEc] = mask;
    return form;
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
    EXPECT_TRUE(b.entries[0].enabled && b.entries[0].code == 2);
    EXPECT_EQ(b.entries[1].code, 15);  // bits above bit 5 ignored
    ASSERT_EQ(a.items, (std::vector<std::string>{"2", "3"}));
    EXPECT_TRUE(!a.entries[0].enabled && a.entries[0].code == 1 && a.entries[1].code == 0);
    EXPECT_EQ(a.entries[0].texts[kEmcyEnMaskEr], "0");  // empty reads as "0"
    EXPECT_EQ(a.selected, std::optional<size_t>(0));
    EXPECT_EQ(bypass_set(b.entries[0], CanSide::B), 37);
}

TEST_F(EmcyTranslation, LoadingMessages) {
    EXPECT_EQ(LoadEmcyTranslation(dir / "emcydef.xml").message, std::optional<std::string>("File XML not found"));
    for (const std::string& bad : {Row("9", "0", ""), Row("9", "1 "), Row("9", "")}) {
        const EmcyLoad load = Load(Row("5", "0", " mask_eq_m2=\"\"") + bad + Row("6", "0"));
        EXPECT_EQ(load.message, std::optional<std::string>("Error in reading file XML"));
        ASSERT_EQ(load.pages.Side(CanSide::A).items, std::vector<std::string>{"5"});
        EXPECT_EQ(load.pages.Side(CanSide::A).entries[0].texts[kEmcyMaskM2], "0");
    }
}

TEST(EmcyEditing, IdsAreComparedAsTextsOnTheirOwnPage) {
    EmcyPage page, other;
    EXPECT_FALSE(NewEmcy(page, Form("5")));
    EXPECT_EQ(NewEmcy(page, Form("5")), std::optional<std::string>("Index Not Valid"));
    EXPECT_EQ(NewEmcy(page, Form("")), std::optional<std::string>("Index Not Valid"));
    EXPECT_FALSE(NewEmcy(page, Form("0x5")));  // the same value, another text
    EXPECT_EQ(page.items, (std::vector<std::string>{"5", "0x5"}));
    EXPECT_EQ(page.selected, std::optional<size_t>(1));
    EXPECT_FALSE(NewEmcy(other, Form("5")));
}

TEST(EmcyEditing, NewWithoutSelectionIsUncheckedAndModifyChecksOnlyAChangedId) {
    EmcyPage page;
    EXPECT_FALSE(NewEmcy(page, Form("", "")));
    EXPECT_EQ(page.items, std::vector<std::string>{""});
    EXPECT_EQ(page.entries[0].texts[kEmcyId] + page.entries[0].texts[kEmcyMaskEc], "00");
    EXPECT_FALSE(NewEmcy(page, Form("7")));
    EXPECT_FALSE(ModifyEmcy(page, Form("7", "70000")));  // unchanged ID: no check
    EXPECT_EQ(page.entries[1].texts[kEmcyMaskEc], "70000");
    EXPECT_EQ(ModifyEmcy(page, Form("")), std::optional<std::string>("Index Not Valid"));
    EXPECT_FALSE(ModifyEmcy(page, Form("200")));
    EXPECT_EQ(page.items, (std::vector<std::string>{"", "200"}));
    DeleteEmcy(page);
    EXPECT_FALSE(page.selected);
    EXPECT_FALSE(ModifyEmcy(page, Form("1")));  // nothing selected: nothing happens
    EXPECT_EQ(page.items, std::vector<std::string>{""});
}

TEST_F(EmcyTranslation, OkWritesEachSideByIdLaterInListFirstOnTiesAndDropsNothing) {
    EmcyPages pages;
    for (const char* id : {"20", "3", "7", "11", "1000000", "0x7"})
        ASSERT_FALSE(NewEmcy(pages.Side(CanSide::A), Form(id)));
    ASSERT_FALSE(NewEmcy(pages.Side(CanSide::B), Form("4")));
    pages.Side(CanSide::B).entries[0].enabled = true;
    pages.Side(CanSide::B).entries[0].code = 8;
    WriteEmcyTranslation(dir / "emcydef.xml", pages);
    const auto written = ReadRowList(dir / "emcydef.xml");
    std::vector<std::string> ids;
    for (const XmlRow& row : written->rows) ids.push_back(row.Required("id_dev") + "/" + row.Required("bypass_set"));
    EXPECT_EQ(ids, (std::vector<std::string>{"3/0", "0x7/0", "7/0", "11/0", "20/0", "1000000/0", "4/49"}));
    EXPECT_EQ(written->rootName, "emcydef");
    EXPECT_EQ(LoadEmcyTranslation(dir / "emcydef.xml").pages.Side(CanSide::B).entries, pages.Side(CanSide::B).entries);
}

TEST_F(EmcyTranslation, AnIdThatIsNotAnIntegerStopsOkBeforeAnythingIsWritten) {
    EmcyPages pages;
    ASSERT_FALSE(NewEmcy(pages.Side(CanSide::B), Form("")));
    testing::WriteText(dir / "emcydef.xml", "<emcydef/>");
    EXPECT_EQ(testing::ErrorText([&] { WriteEmcyTranslation(dir / "emcydef.xml", pages); }),
              "'' is not a valid integer value");
    EXPECT_EQ(testing::ReadText(dir / "emcydef.xml"), "<emcydef/>");
}

}  // namespace
}  // namespace kestrova
