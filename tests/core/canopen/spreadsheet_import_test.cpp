#include "core/canopen/spreadsheet_import.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/canopen/zip_archive.h"
#include "support/error_text.h"
#include "support/temp_dir.h"
#include "support/zip_bytes.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using Records = std::vector<std::vector<std::string>>;

std::string Workbook(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

// Every record of the sheet, null fields as "<null>".
Records RecordsOf(const std::string& workbook, const std::string& sheet) {
    Records records;
    ReadSpreadsheetSheet(workbook, sheet, [&](const SpreadsheetRecord& record) {
        std::vector<std::string> fields;
        for (size_t i = 0; i < record.Size(); ++i) fields.push_back(record.IsNull(i) ? "<null>" : record.Text(i));
        records.push_back(fields);
    });
    return records;
}

std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries) { return testing::ZipBytes(entries); }

// The records of a workbook held in memory.
Records RecordsOfBytes(const std::string& bytes, const std::string& sheet) {
    testing::TempDir dir;
    testing::WriteText(dir / "workbook", bytes);
    return RecordsOf(dir / "workbook", sheet);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

const char* const kFormats[] = {".xls", ".xlsx", ".lo.xlsx", ".ods", ".lo.ods"};

TEST(SpreadsheetImport, FirstRowNamesTheFieldsAndSheetsAreFoundWithoutRegardToCase) {
    const auto records = RecordsOf(Workbook("canopen.xls"), "sdo");  // the sheet "SDO"; numbers read as shown
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"0", "0x2000", "1", "5", "0x6000", "1", "2", "speed"}));
    EXPECT_EQ(records[1][7], "control, word");
    EXPECT_EQ(records[2], (std::vector<std::string>{"16", "0x2001", "2", "5", "0x6001", "<null>", "4", "<null>"}));
    EXPECT_EQ(RecordsOf(Workbook("canopen.xls"), "emcydef").size(), 3u);
    EXPECT_EQ(RecordsOf(Workbook("canopen.xls"), "emcyword").at(0).size(), 52u);  // the sheet "EmcyWord"
    EXPECT_EQ(RecordsOf(Workbook("canopen.xls"), "sdopdo").size(), 3u);
}

// The same sheets written by xlwt, openpyxl, odfpy and LibreOffice, and their CSV sources (named
// unlike the sheet), give the same records field by field.
TEST(SpreadsheetImport, EveryFormatGivesTheSameRecordsOfEachSheet) {
    for (const std::string sheet : {"sdo", "emcydef", "emcyword", "sdopdo"}) {
        const Records expected = RecordsOf(Workbook("canopen.xls"), sheet);
        ASSERT_FALSE(expected.empty());
        for (const std::string format : kFormats)
            EXPECT_EQ(RecordsOf(Workbook("canopen" + format), sheet), expected) << sheet << format;
        EXPECT_EQ(RecordsOf(Workbook("canopen." + sheet + ".csv"), sheet), expected) << sheet;
    }
}

TEST(SpreadsheetImport, NumbersReadAsShownAndTextsWithDigitsStayAsTheyAre) {
    const std::string n = "<null>";
    const Records expected{
        {"integer", "17", n, n},
        {"fraction", "0.5", n, n},
        {"negative", "-3", n, n},
        {"big", "1e+20", n, n},
        {"leading zeros", "0024576", n, n},
        {"plus", "+999999", n, n},
        {"leading blank", " 129", n, n},
        {"two lines", "first\nsecond", n, n},
        {"two blanks", "a  b", n, n},
        {"tab", "a\tb", n, n},
        {"comma and quote", "say \"hi\", then go", n, n},
        {"empty", n, "after an empty cell", n},
        {"non-ASCII", "N\u00b0 5", n, n},
        {"repeated", "same", "same", "same"},
    };
    for (const std::string format : {".xls", ".xlsx", ".lo.xlsx", ".ods", ".lo.ods", ".csv"})
        EXPECT_EQ(RecordsOf(Workbook("cells" + format), "cells"), expected) << format;
}

TEST(SpreadsheetImport, FailuresNameTheFileTheSheetAndTheRecord) {
    testing::TempDir dir;
    testing::WriteText(dir / "binary.xls", std::string("\x01\x02\0\x03", 4));
    testing::WriteText(dir / "neither.xlsx", Zip({{"word/document.xml", "<document/>"}}));
    testing::WriteText(dir / "damaged.xlsx", Zip({{"[Content_Types].xml", "<Types/>"}}).substr(0, 60));
    testing::WriteText(dir / "not_xml.ods",
                       Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", "<a"}}));
    const auto ignore = [](const SpreadsheetRecord&) {};
    const std::string stopped = "Import of sheet \"sdo\" from ";
    std::vector<std::pair<std::string, std::string>> cases{
        {dir / "absent.xls", " stopped: the file does not exist"},
        {dir.path(), " stopped: the file is not a regular file"},
        {dir / "binary.xls", " stopped: the file is neither a workbook (.xls, .xlsx, .ods) nor a CSV text"},
        {dir / "neither.xlsx", " stopped: the file is a zip archive but neither an .xlsx nor an .ods workbook"},
        {dir / "not_xml.ods",
         " stopped: the part content.xml is not valid XML (Error parsing start element tag at byte 1)"},
        {Workbook("no_sdo.xls"), " stopped: the workbook has no sheet named \"sdo\""},
    };
    for (const std::string format : {".xlsx", ".lo.xlsx", ".ods", ".lo.ods"})
        cases.push_back({Workbook("canopen" + format), " stopped: the workbook has no sheet named \"sdo\""});
    for (auto& [workbook, reason] : cases) {
        if (workbook.find("canopen") != std::string::npos) {
            EXPECT_EQ(ErrorText([&] { ReadSpreadsheetSheet(workbook, "nothing", ignore); }),
                      "Import of sheet \"nothing\" from " + workbook +
                          " stopped: the workbook has no sheet named \"nothing\"");
            continue;
        }
        EXPECT_EQ(ErrorText([&] { ReadSpreadsheetSheet(workbook, "sdo", ignore); }), stopped + workbook + reason);
    }
    EXPECT_EQ(ErrorText([&] {
                  ReadSpreadsheetSheet(dir / "damaged.xlsx", "sdo", ignore);
              }).rfind(stopped + dir / "damaged.xlsx stopped: the file is a damaged zip archive (", 0),
              0u);

    testing::WriteText(dir / "bad_record.csv",
                       Replaced(testing::ReadText(Workbook("canopen.sdo.csv")), "\n17,", "\nx,"));
    for (const std::string& workbook :
         {Workbook("bad_record.xls"), Workbook("bad_record.xlsx"), Workbook("bad_record.lo.xlsx"),
          Workbook("bad_record.ods"), Workbook("bad_record.lo.ods"), dir / "bad_record.csv"}) {
        size_t handled = 0;
        const std::string message = ErrorText([&] {
            ReadSpreadsheetSheet(workbook, "sdo", [&](const SpreadsheetRecord& record) {
                if (record.Text(0) == "x") throw Error("'x' is not a valid integer value");
                ++handled;
            });
        });
        EXPECT_EQ(handled, 1u) << workbook;
        const std::string row = workbook.find(".csv") != std::string::npos ? "line" : "sheet row";
        EXPECT_EQ(message,
                  stopped + workbook + " stopped at record 2 (" + row + " 3): 'x' is not a valid integer value");
    }
}

TEST(SpreadsheetImport, FieldsReadDirectlyOrBeyondTheColumnsFail) {
    const SpreadsheetRecord record({std::string("1"), std::nullopt});
    EXPECT_EQ(record.Text(1), "");
    EXPECT_EQ(ErrorText([&] { record.Direct(1); }), "column B is empty");
    EXPECT_EQ(ErrorText([&] { record.Text(2); }), "the sheet has no column C (it has 2 columns)");
    const SpreadsheetRecord padded({std::string("1")}, 3);  // a row shorter than its sheet
    EXPECT_EQ(padded.Size(), 3u);
    EXPECT_TRUE(padded.IsNull(2));
    EXPECT_EQ(ErrorText([&] { padded.Direct(2); }), "column C is empty");
}

std::string OdsContent(const std::string& table) {
    return "<?xml version=\"1.0\"?><office:document-content xmlns:office=\"o\" xmlns:table=\"t\" xmlns:text=\"x\">"
           "<office:body><office:spreadsheet>" +
           table + "</office:spreadsheet></office:body></office:document-content>";
}

std::string Ods(const std::string& table) {
    return Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", OdsContent(table)}});
}

// What LibreOffice writes: value cells merged with their equal neighbours, blanks and tabs as
// elements, a two-line cell as two paragraphs, and about a million empty rows to the end.
TEST(SpreadsheetImport, OdsRepeatedRowsAndCellsAreCopiedWhenTheyHoldAValueAndSkippedWhenEmpty) {
    const std::string cell = "<table:table-cell office:value-type=\"string\"><text:p>";
    const std::string table =
        "<table:table table:name=\"Other\"/><table:table table:name=\"SDO\">"
        "<table:table-header-rows><table:table-row>" +
        cell + "a</text:p></table:table-cell>" + cell + "b</text:p></table:table-cell>" + cell +
        "c</text:p></table:table-cell></table:table-row></table:table-header-rows>"
        "<table:table-row-group><table:table-row table:number-rows-repeated=\"2\">"
        "<table:table-cell table:number-columns-repeated=\"2\" office:value-type=\"float\" office:value=\"5\">"
        "<text:p>5.00</text:p></table:table-cell><table:table-cell/></table:table-row></table:table-row-group>"
        "<table:table-row table:number-rows-repeated=\"3\"><table:table-cell table:number-columns-repeated=\"1024\"/>"
        "</table:table-row>"
        "<table:table-row><table:table-cell table:number-columns-repeated=\"2\"/>" +
        cell +
        "x<text:s text:c=\"2\"/>y<text:tab/>z<text:span>!</text:span></text:p><text:p>second</text:p>"
        "</table:table-cell></table:table-row>"
        "<table:table-row><table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"/>"
        "<table:covered-table-cell/><table:table-cell office:value-type=\"percentage\" office:value=\"0.25\"/>"
        "</table:table-row>"
        "<table:table-row table:number-rows-repeated=\"1048569\"><table:table-cell "
        "table:number-columns-repeated=\"1024\"/></table:table-row></table:table>";
    const std::string n = "<null>";
    EXPECT_EQ(RecordsOfBytes(Ods(table), "sdo"), (Records{{"5", "5", n},
                                                          {"5", "5", n},
                                                          {n, n, n},
                                                          {n, n, n},
                                                          {n, n, n},
                                                          {n, n, "x  y\tz!\nsecond"},
                                                          {"1", n, "0.25"}}));
}

TEST(SpreadsheetImport, OdsRepeatsThatWouldFillTheMemoryAreRefused) {
    const std::string table =
        "<table:table table:name=\"sdo\"><table:table-row table:number-rows-repeated=\"1000000\">"
        "<table:table-cell table:number-columns-repeated=\"16384\" office:value-type=\"float\" office:value=\"1\"/>"
        "</table:table-row></table:table>";
    EXPECT_NE(ErrorText([&] {
                  RecordsOfBytes(Ods(table), "sdo");
              }).find("the sheet holds more than 64 MiB of cells (repeated rows or cells included)"),
              std::string::npos);
}

// What Excel and openpyxl write: shared strings (rich text runs too), inline strings, cells
// placed by r attributes with gaps, sheets matched by r:id whatever their order, targets
// relative or absolute.
TEST(SpreadsheetImport, XlsxSharedAndInlineStringsAndCellsPlacedByTheirNames) {
    const std::string workbook =
        "<workbook xmlns:r=\"r\"><sheets><sheet name=\"First\" sheetId=\"1\" r:id=\"rId7\"/>"
        "<sheet name=\"Sdo\" sheetId=\"2\" r:id=\"rId3\"/></sheets></workbook>";
    const std::string rels =
        "<Relationships><Relationship Id=\"rId3\" Type=\"http://x/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId7\" Type=\"http://x/worksheet\" Target=\"worksheets/sheet2.xml\"/>"
        "<Relationship Id=\"rId9\" Type=\"http://x/sharedStrings\" Target=\"./strings/../sharedStrings.xml\"/>"
        "</Relationships>";
    const std::string strings =
        "<sst><si><t>conf</t></si><si><r><t>two&#10;</t></r><rPh><t>x</t></rPh><r><t>lines</t></r></si>"
        "<si><t xml:space=\"preserve\"> 129</t></si><si><t>a_x000D_b</t></si></sst>";
    const std::string sheet =
        "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"inlineStr\">"
        "<is><t>third</t></is></c></row><row r=\"3\"><c r=\"B3\" t=\"s\"><v>1</v></c><c t=\"s\"><v>2</v></c></row>"
        "<row><c r=\"A4\"><v>1E+020</v></c><c r=\"B4\" t=\"b\"><v>1</v></c><c r=\"C4\" t=\"str\"><f>A1</f>"
        "<v>conf</v></c></row><row r=\"5\"><c r=\"A5\" t=\"s\"><v>3</v></c><c r=\"B5\"><f>1/0</f></c></row>"
        "<row r=\"9\"/></sheetData></worksheet>";
    const std::string bytes = Zip({{"[Content_Types].xml", "<Types/>"},
                                   {"xl/workbook.xml", workbook},
                                   {"xl/_rels/workbook.xml.rels", rels},
                                   {"xl/sharedStrings.xml", strings},
                                   {"xl/worksheets/sheet1.xml", sheet},
                                   {"xl/worksheets/sheet2.xml", "<worksheet/>"}});
    const std::string n = "<null>";
    EXPECT_EQ(RecordsOfBytes(bytes, "sdo"),
              (Records{{n, n, n}, {n, "two\nlines", " 129"}, {"1e+20", "1", "conf"}, {"a\rb", n, n}}));
    EXPECT_EQ(RecordsOfBytes(bytes, "first"), Records{});
}

TEST(SpreadsheetImport, ZipBombsAreRefusedBeforeTheyFillTheMemory) {
    ASSERT_LT(testing::ReadText(Workbook("bomb.ods")).size(), 70000u);  // content.xml: 65 MiB in 65 KiB
    EXPECT_EQ(ErrorText([&] { RecordsOf(Workbook("bomb.ods"), "sdo"); }),
              "Import of sheet \"sdo\" from " + Workbook("bomb.ods") +
                  " stopped: the part content.xml unpacks to more than 64 MiB (a workbook never holds so much)");

    // The same bomb claiming 1000 bytes for its content.xml: refused as it unpacks.
    std::string lying = testing::ReadText(Workbook("bomb.ods"));
    for (const auto& [signature, sizeOffset] : {std::pair<std::string, size_t>{"PK\3\4", 22}, {"PK\1\2", 24}})
        lying.replace(lying.find(signature, lying.find(signature) + 1) + sizeOffset, 4, std::string("\xE8\x03\0\0", 4));
    EXPECT_NE(ErrorText([&] { RecordsOfBytes(lying, "sdo"); }).find(" stopped: the part content.xml "),
              std::string::npos);

    ZipArchive zip(Zip({{"a", std::string(3000, 'a')}, {"b", std::string(3000, 'b')}}), 4096, 5000);
    EXPECT_EQ(zip.Read("a")->size(), 3000u);
    EXPECT_EQ(ErrorText([&] { zip.Read("b"); }),
              "the workbook unpacks to more than 0 MiB (a workbook never holds so much)");
    EXPECT_FALSE(zip.Read("../a"));  // names are looked up, never taken as paths
}

// CSV as Export writes it (Windows-1252, CR LF, a comma after every field, quoted fields) and as
// editors and other programs write it (UTF-8 with or without a byte-order mark, LF or CR).
TEST(SpreadsheetImport, CsvEncodingsLineEndsAndQuotedFields) {
    const std::string n = "<null>";
    const Records expected{{"1", "N\u00b0 \"5\", x", n}, {"2", "two\r\nlines", "z"}};
    for (const std::string& text : {
             std::string("a,b,c,\r\n1,\"N\xb0 \"\"5\"\", x\",,\r\n2,\"two\r\nlines\",z,\r\n"),
             std::string("\xEF\xBB\xBF"
                         "a,b,c\n1,\"N\u00b0 \"\"5\"\", x\"\n2,\"two\r\nlines\",z\n"),
             std::string("a,b,c\r1,\"N\u00b0 \"\"5\"\", x\",\r2,\"two\r\nlines\",z"),
         })
        EXPECT_EQ(RecordsOfBytes(text, "sdo"), expected) << text;

    testing::TempDir dir;
    for (const auto& [text, reason] : std::vector<std::pair<std::string, std::string>>{
             {"a,b\n1,2\n3,\"open\n", "at record 2 (line 3): a quoted field is not closed"},
             {"a,b\n1,\"x\"y\n", "at record 1 (line 2): a quoted field is followed by more than a comma"},
         }) {
        testing::WriteText(dir / "t.csv", text);
        EXPECT_EQ(ErrorText([&] { RecordsOf(dir / "t.csv", "sdo"); }),
                  "Import of sheet \"sdo\" from " + dir / "t.csv" + " stopped " + reason);
    }
}

// The lines Export writes that are not records: sdo.csv's empty padding rows and its header line
// repeated for side B; the exports without field-name line of the other sheets.
TEST(SpreadsheetImport, CsvLinesThatAreNotRecordsAndExportsWithoutFieldNames) {
    const std::string n = "<null>";
    EXPECT_EQ(RecordsOfBytes("0,Index,Subindex,\r\n16,a,b,\r\n0,,,\r\n1,Index,Subindex,\r\n1,c,,\r\n1,,,\r\n", "sdo"),
              (Records{{"16", "a", "b"}, {"1", "c", n}}));
    EXPECT_EQ(RecordsOfBytes("20,0x10,,3,\r\n5,,,37,\r\n", "emcydef"),
              (Records{{"20", "0x10", n, "3"}, {"5", n, n, "37"}}));
    EXPECT_EQ(RecordsOfBytes("0x1001,0,5,1,7,\r\n", "emcyword"), (Records{{"0x1001", "0", "1", "5", "7"}}));
    EXPECT_EQ(RecordsOfBytes("index,subindex,side,id\r\n0x1001,0,1,5\r\n", "emcyword"),
              (Records{{"0x1001", "0", "1", "5"}}));  // a sheet saved as CSV keeps its order
}

}  // namespace
}  // namespace kestrova
