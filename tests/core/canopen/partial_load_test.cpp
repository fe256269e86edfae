// What the CANopen loads report of a document they could not take over whole.
#include <gtest/gtest.h>

#include "core/canopen/emcy_translation.h"
#include "core/canopen/emcy_word.h"
#include "core/canopen/sdo_access.h"
#include "core/canopen/stored_pdo.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::TempDir;
using testing::WriteText;

const std::string kSdo = R"(<row conf="0" IndexA="1" SubindexA="2" devIDB="3" IndexB="4" SubindexB="5" nbyteB="6"/>)";
const std::string kSdoBad = R"(<row conf="0" SubindexA="2" devIDB="3" IndexB="4" SubindexB="5" nbyteB="6"/>)";

std::string Emcy(const std::string& bypass) {
    return R"(<row id_dev="5" mask_eq_ec="1" mask_eq_er="2" mask_eq_m1="3" mask_eq_m2="4" mask_eq_m3="5" )"
           R"(enmask_eq_ec="6" enmask_eq_er="7" enmask_eq_m1="8" enmask_eq_m2="9" enmask_eq_m3="10" bypass_set=")" +
           bypass + "\"/>";
}

std::string Word(const std::string& extdata) {
    std::string row = R"(<row index_addrm="1" subindex="2" extdata=")" + extdata + R"(" devid="3")";
    for (int bit = 0; bit < 16; ++bit)
        for (const char* field : {"b0", "b1", "poscomp"}) row += " bit" + std::to_string(bit) + "_" + field + "=\"0\"";
    return row + "/>";
}

std::string Pdo(const std::string& nrpdo) {
    return R"(<row index="1" subindex="2" nrpdo=")" + nrpdo + R"(" poscomp="0"/>)";
}

RowsRead SdoRows(const TempDir& project, const std::string& text) {
    WriteText(project / "sdo.xml", text);
    return LoadSdoAccess(project / "sdo.xml").rows;
}
RowsRead EmcyRows(const TempDir& project, const std::string& text) {
    WriteText(project / "emcydef.xml", text);
    return LoadEmcyTranslation(project / "emcydef.xml").rows;
}
RowsRead WordRows(const TempDir& project, const std::string& text) {
    WriteText(project / "emcyword.xml", text);
    return LoadEmcyWords(project / "emcyword.xml").rows;
}
RowsRead PdoRows(const TempDir& project, const std::string& text) {  // one PDO on side A
    WriteText(project / "rpdodef.xml", R"(<rpdodef><row cobid="0x181" en_bypass="0"/></rpdodef>)");
    WriteText(project / "sdopdo.xml", text);
    return LoadStoredPdos(project / "sdo.xml", project / "rpdodef.xml", project / "sdopdo.xml").sdoPdoRows;
}

TEST(PartialLoad, EveryCanopenLoadCountsTheRowsItKeptAndLeftOut) {
    struct Case {
        const char* what;
        RowsRead (*load)(const TempDir&, const std::string&);
        std::string text;
        size_t kept;
        std::optional<size_t> dropped;
        bool stoppedEarly;
    };
    const Case cases[] = {
        {"sdo whole", SdoRows, "<sdo>" + kSdo + kSdo + kSdo + "</sdo>", 3, 0, false},
        {"sdo stopped at row 3", SdoRows, "<sdo>" + kSdo + kSdo + kSdoBad + kSdo + "</sdo>", 2, 2, true},
        {"sdo not parsed", SdoRows, "<sdo>" + kSdo, 0, std::nullopt, true},
        {"emcy whole", EmcyRows, "<emcydef>" + Emcy("0") + Emcy("32") + "</emcydef>", 2, 0, false},
        {"emcy stopped at row 2", EmcyRows, "<emcydef>" + Emcy("0") + Emcy("x") + Emcy("1") + "</emcydef>", 1, 2, true},
        {"word without a side", WordRows, "<emcyword>" + Word("0") + Word("2") + Word("1") + "</emcyword>", 2, 1,
         false},
        {"word stopped", WordRows, "<emcyword>" + Word("0") + "<row extdata=\"0\"/></emcyword>", 1, 1, true},
        {"pdo whole", PdoRows, "<sdopdo>" + Pdo("1") + Pdo("1") + "</sdopdo>", 2, 0, false},
        {"pdo row without its PDO", PdoRows, "<sdopdo>" + Pdo("1") + Pdo("2") + Pdo("129") + Pdo("1") + "</sdopdo>", 2,
         2, false},
        {"pdo stopped", PdoRows, "<sdopdo>" + Pdo("1") + Pdo("x") + Pdo("1") + "</sdopdo>", 1, 2, true},
    };
    for (const Case& test : cases) {
        TempDir project;
        const RowsRead rows = test.load(project, test.text);
        EXPECT_EQ(rows.kept, test.kept) << test.what;
        EXPECT_EQ(rows.dropped, test.dropped) << test.what;
        EXPECT_EQ(rows.stoppedEarly, test.stoppedEarly) << test.what;
        EXPECT_EQ(rows.Whole(), test.dropped == size_t{0} && !test.stoppedEarly) << test.what;
    }
}

}  // namespace
}  // namespace kestrova
