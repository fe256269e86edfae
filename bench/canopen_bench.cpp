// Goals: an SDO access document of 3000 rows loads into the two tables and both are exported
// as sdo.csv within 0.1 s; a 1500-record "sdo" sheet imports within 50 ms from each kind of
// workbook (.xls through its reading program, .xlsx and .ods by openpyxl, odfpy and LibreOffice,
// CSV).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/canopen/csv_export.h"
#include "core/canopen/sdo_access.h"
#include "core/canopen/spreadsheet_import.h"
#include "core/project/project_context.h"

namespace {

// A fixture workbook, found beside this source file.
std::string SdoWorkbook(const std::string& name) {
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/canopen" / name).string();
}

class SdoProject {
public:
    SdoProject() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-bench-XXXXXX").string();
        context_.projectDirectory = ::mkdtemp(pattern.data()) ? pattern : std::string();
        context_.DeriveDocumentPaths();
        std::ofstream document(kestrova::SdoAccessPath(context_), std::ios::binary);
        document << "<sdo>";
        for (int row = 0; row < 3000; ++row)
            document << "<row conf=\"" << (row % 2) + (row % 3 == 0 ? 16 : 0) << "\" IndexA=\"0x" << std::hex
                     << 0x2000 + row << "\" SubindexA=\"" << std::dec << row % 8 << "\" devIDB=\"" << 1 + row % 127
                     << "\" IndexB=\"0x" << std::hex << 0x6000 + row << std::dec << "\" SubindexB=\"" << row % 4
                     << "\" nbyteB=\"" << 1 + row % 4 << "\" mnemonico=\"object " << row << "\"/>";
        document << "</sdo>";
    }
    ~SdoProject() { std::filesystem::remove_all(context_.projectDirectory); }
    const kestrova::ProjectContext& Context() const { return context_; }

private:
    kestrova::ProjectContext context_;
};

void BM_SdoAccessLoadAndExport3000Rows(benchmark::State& state) {
    const SdoProject project;
    for (auto _ : state) {
        const kestrova::SdoAccessLoad load = kestrova::LoadSdoAccess(kestrova::SdoAccessPath(project.Context()));
        if (load.message) state.SkipWithError(load.message->c_str());
        kestrova::WriteCsvExport(project.Context(), kestrova::kSdoAccessSheet,
                                 kestrova::SdoAccessExportLines(load.tables));
    }
}
BENCHMARK(BM_SdoAccessLoadAndExport3000Rows)->Unit(benchmark::kMillisecond);

void BM_SdoSheetImport1500Records(benchmark::State& state, const std::string& name) {
    const std::string workbook = SdoWorkbook(name);
    for (auto _ : state) {
        kestrova::SdoAccessTables tables = kestrova::EmptySdoAccessTables();
        kestrova::ReadSpreadsheetSheet(workbook, kestrova::kSdoAccessSheet, kestrova::SdoAccessImport(tables));
        if (tables.Side(kestrova::CanSide::B)[749][kestrova::kSdoIndexA].empty())
            state.SkipWithError("records missing");
        benchmark::DoNotOptimize(tables);
    }
}
BENCHMARK_CAPTURE(BM_SdoSheetImport1500Records, xls, std::string("sdo_1500.xls"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SdoSheetImport1500Records, xlsx, std::string("sdo_1500.xlsx"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SdoSheetImport1500Records, xlsx_libreoffice, std::string("sdo_1500.lo.xlsx"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SdoSheetImport1500Records, ods, std::string("sdo_1500.ods"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SdoSheetImport1500Records, ods_libreoffice, std::string("sdo_1500.lo.ods"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SdoSheetImport1500Records, csv, std::string("sdo_1500.csv"))->Unit(benchmark::kMillisecond);

}  // namespace
