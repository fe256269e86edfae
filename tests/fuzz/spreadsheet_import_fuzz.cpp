// The spreadsheet import of .xlsx, .ods and CSV workbooks (zip, XML and text layers) on any
// bytes: records or an Error, never a crash, a hang, undefined behaviour or the memory filled.
// The first byte chooses what the rest is: 0 the workbook's bytes as they stand, 1 the
// content.xml of an .ods, 2 the sheet part of an .xlsx (each zipped here, so the mutations reach
// the XML). An .xls goes to its reading program and is left out here.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/canopen/spreadsheet_import.h"
#include "core/project/error.h"
#include "support/zip_bytes.h"

namespace {

const char* const kWorkbookPart =
    "<workbook xmlns:r=\"r\"><sheets><sheet name=\"sdo\" r:id=\"rId1\"/></sheets></workbook>";
const char* const kWorkbookRelationships =
    "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
const char* const kSharedStrings = "<sst><si><t>conf</t></si><si><r><t>a</t></r><r><t>b</t></r></si></sst>";

std::string Workbook(uint8_t mode, std::string rest) {
    using kestrova::testing::ZipBytes;
    switch (mode % 3) {
        case 1:
            return ZipBytes({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", rest}},
                            false);
        case 2:
            return ZipBytes({{"[Content_Types].xml", "<Types/>"},
                             {"xl/workbook.xml", kWorkbookPart},
                             {"xl/_rels/workbook.xml.rels", kWorkbookRelationships},
                             {"xl/sharedStrings.xml", kSharedStrings},
                             {"xl/worksheets/sheet1.xml", rest}},
                            false);
        default:
            return rest;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string bytes = Workbook(data[0], std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    if (bytes.compare(0, 4, "\xD0\xCF\x11\xE0") == 0) return 0;
    for (const char* sheet : {"sdo", "emcyword"}) {
        try {
            kestrova::ReadSpreadsheetContent(bytes, "fuzz", sheet, [](const kestrova::SpreadsheetRecord& record) {
                for (size_t i = 0; i < record.Size() && i < 64; ++i)
                    if (!record.IsNull(i) && record.Text(i).empty()) throw kestrova::Error("an empty text not null");
            });
        } catch (const kestrova::Error&) {
        }
    }
    return 0;
}
