// kestrova-cli canopen: the CANopen bridge windows without a display.
#include <cstdio>
#include <optional>
#include <string>

#include "cli_commands.h"
#include "cli_support.h"
#include "core/canopen/csv_export.h"
#include "core/canopen/emcy_translation.h"
#include "core/canopen/emcy_word.h"
#include "core/canopen/sdo_access.h"
#include "core/canopen/spreadsheet_import.h"
#include "core/canopen/stored_pdo.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"
#include "core/project/project_lock.h"

namespace kestrova::cli {
namespace {

// What the command line asks of a window, done in this order after the window's show.
struct CanopenRequest {
    std::optional<std::string> workbook;  // --import: the window's Import from this workbook
    bool save = false;                    // --save: the window's OK
    bool exportCsv = false;               // --export: the window's Export
};

// One KIND of the command: a window's show, Import, OK and Export through the core functions
// the window uses. A load or import failure and a refused OK print the window's message and
// return kRefused before anything is written.
using CanopenRun = int (*)(const ProjectContext& context, const CanopenRequest& request, ConsoleDialogs& dialogs);

struct CanopenKind {
    const char* name;
    const char* window;
    const char* sheet;  // the sheet of its Import
    CanopenRun run;     // nullptr: not yet available
};

// --save after a load that kept only part of the document: refused, the window would ask.
bool RefusePartlyRead(ConsoleDialogs& dialogs, const CanopenRequest& request, const std::string& path,
                      const RowsRead& rows) {
    if (!request.save || rows.Whole()) return false;
    dialogs.ShowMessage(MessageKind::Plain, PartlyReadRefusal(path, rows));
    return true;
}

void ReportExport(const ProjectContext& context, const std::string& baseName, size_t lines) {
    std::printf("exported %zu lines to %s\n", lines, CsvExportPath(context, baseName).c_str());
}

int RunSdo(const ProjectContext& context, const CanopenRequest& request, ConsoleDialogs& dialogs) {
    if (request.save) {
        dialogs.ShowMessage(MessageKind::Plain, "canopen sdo: --save is refused, the window's OK writes nothing");
        return kRefused;
    }
    SdoAccessLoad load = LoadSdoAccess(SdoAccessPath(context));
    if (load.message) {
        dialogs.ShowMessage(MessageKind::Plain, *load.message);
        return kRefused;
    }
    if (request.workbook && !ImportSdoAccess(dialogs, *request.workbook, load.tables)) return kRefused;
    for (CanSide side : kCanSides)
        std::printf("side %s: %zu rows\n", side == CanSide::A ? "A" : "B",
                    ListLength(SdoAccessLayout(), load.tables.Side(side)));
    if (request.exportCsv) {
        const std::vector<CsvLine> lines = SdoAccessExportLines(load.tables);
        WriteCsvExport(context, kSdoAccessSheet, lines);
        ReportExport(context, kSdoAccessSheet, lines.size());
    }
    return kDone;
}

int RunEmcy(const ProjectContext& context, const CanopenRequest& request, ConsoleDialogs& dialogs) {
    const std::string& path = context.documents.emcyDef;
    EmcyLoad load = LoadEmcyTranslation(path);
    if (load.message) {
        dialogs.ShowMessage(MessageKind::Plain, *load.message);
        if (*load.message != kEmcyNotFound) return kRefused;  // a missing document opens empty
    }
    if (RefusePartlyRead(dialogs, request, path, load.rows)) return kRefused;
    if (request.workbook && !ImportEmcyTranslation(dialogs, *request.workbook, load.pages)) return kRefused;
    for (CanSide side : kCanSides)
        std::printf("side %s: %zu entries\n", side == CanSide::A ? "A" : "B", load.pages.Side(side).entries.size());
    if (request.save) {
        if (!RunGuarded(dialogs, [&] { WriteEmcyTranslation(path, load.pages); })) return kRefused;
        std::printf("written %s\n", path.c_str());
    }
    if (request.exportCsv) {
        const std::vector<CsvLine> lines = EmcyExportLines(load.pages);
        WriteCsvExport(context, kEmcySheet, lines);
        ReportExport(context, kEmcySheet, lines.size());
    }
    return kDone;
}

int RunEmcyWord(const ProjectContext& context, const CanopenRequest& request, ConsoleDialogs& dialogs) {
    const std::string& path = context.documents.emcyWord;
    EmcyWordLoad load = LoadEmcyWords(path);
    if (load.message) {
        dialogs.ShowMessage(MessageKind::Plain, *load.message);
        if (*load.message != kEmcyWordNotFound) return kRefused;  // a missing document opens empty
    }
    if (RefusePartlyRead(dialogs, request, path, load.rows)) return kRefused;
    if (request.workbook && !ImportEmcyWords(dialogs, *request.workbook, load.pages)) return kRefused;
    for (CanSide side : kCanSides)
        std::printf("side %s: %zu words\n", side == CanSide::A ? "A" : "B", load.pages.Side(side).size());
    if (request.save) {
        if (!RunGuarded(dialogs, [&] { SaveEmcyWords(path, load.pages); })) return kRefused;
        std::printf("written %s\n", path.c_str());
    }
    if (request.exportCsv) {
        const std::vector<CsvLine> lines = EmcyWordExportLines(load.pages);
        WriteCsvExport(context, kEmcyWordSheet, lines);
        ReportExport(context, kEmcyWordSheet, lines.size());
    }
    return kDone;
}

int RunStoredPdo(const ProjectContext& context, const CanopenRequest& request, ConsoleDialogs& dialogs) {
    StoredPdoLoad load = LoadStoredPdos(context);
    for (const std::string& message : load.messages) dialogs.ShowMessage(MessageKind::Plain, message);
    if (load.readFailed) return kRefused;  // missing documents open empty
    if (RefusePartlyRead(dialogs, request, context.documents.sdoPdo, load.sdoPdoRows)) return kRefused;
    if (request.workbook && !ImportStoredPdos(dialogs, *request.workbook, load.pages)) return kRefused;
    for (CanSide side : kCanSides) {
        size_t sdos = 0;
        for (const TClPdo& pdo : load.pages.Side(side).pdos) sdos += pdo.sdos.size();
        std::printf("side %s: %zu PDOs, %zu SDOs\n", side == CanSide::A ? "A" : "B", load.pages.Side(side).pdos.size(),
                    sdos);
    }
    if (request.save) {
        if (!RunGuarded(dialogs, [&] { SaveStoredPdos(context.documents.sdoPdo, load.pages); })) return kRefused;
        std::printf("written %s\n", context.documents.sdoPdo.c_str());
    }
    if (request.exportCsv) {
        const std::vector<CsvLine> lines = StoredPdoExportLines(load.pages);
        WriteCsvExport(context, kSdoPdoSheet, lines);
        ReportExport(context, kSdoPdoSheet, lines.size());
    }
    return kDone;
}

const CanopenKind kKinds[] = {
    {"sdo", "TFsdo", kSdoAccessSheet, RunSdo},
    {"emcy", "TFemcy", kEmcySheet, RunEmcy},
    {"emcyword", "TFWemcy", kEmcyWordSheet, RunEmcyWord},
    {"pdo", "TFInfopdo", kSdoPdoSheet, RunStoredPdo},
};

int RunCanopen(const std::vector<std::string>& arguments) {
    const std::vector<std::string> positionals = Positionals(arguments);
    const CanopenKind* kind = nullptr;
    for (const CanopenKind& candidate : kKinds)
        if (positionals.at(0) == candidate.name) kind = &candidate;
    if (!kind) {
        std::fprintf(stderr, "kestrova-cli canopen: unknown KIND '%s' (sdo, emcy, emcyword or pdo)\n",
                     positionals.at(0).c_str());
        return kUsage;
    }
    if (!kind->run) {
        std::fprintf(stderr, "kestrova-cli canopen: %s (%s) is not yet available\n", kind->name, kind->window);
        return kRefused;
    }
    const ProjectContext context = ProjectAt(positionals.at(1));
    ConsoleDialogs dialogs;
    const CanopenRequest request{OptionValue(arguments, "--import"), HasFlag(arguments, "--save"),
                                 HasFlag(arguments, "--export")};
    // A folder, a pipe or a device is no workbook: refused by what it is before anything is read.
    if (const auto refusal =
            request.workbook ? NonRegularWorkbookRefusal(*request.workbook, kind->sheet) : std::nullopt) {
        dialogs.ShowMessage(MessageKind::Plain, *refusal);
        return kRefused;
    }
    // A run that writes into the project holds its lock from the load to the last write.
    std::optional<ProjectLock> lock;
    if (request.save || request.exportCsv) lock.emplace(context.projectDirectory);
    return kind->run(context, request, dialogs);
}

}  // namespace

std::vector<Command> CanopenCommands() {
    return {
        {"canopen", "KIND PROJECT_DIR [--import WORKBOOK] [--save] [--export]", "a CANopen window, headless",
         "Runs a CANopen bridge window without a display: KIND sdo (Set SDO Access, sdo.xml),\n"
         "emcy (Set Traslate EMCY, emcydef.xml), emcyword (Define EMCY Word, emcyword.xml) or pdo\n"
         "(Define Store PDO, sdopdo.xml). Loads the window's document as its show does, then in\n"
         "this order:\n"
         "  --import WORKBOOK   replaces the window's lists with the window's sheet (\"sdo\",\n"
         "                      \"emcydef\", \"emcyword\" or \"sdopdo\") of the workbook, as Import:\n"
         "                      .xls, .xlsx, .ods or CSV (also the window's own export)\n"
         "  --save              the window's OK: its checks, then the document is rewritten\n"
         "                      (refused for sdo, whose OK writes nothing)\n"
         "  --export            writes PROJECT_DIR/<sheet>.csv, as Export\n"
         "A failed load or import, or a refused check, prints the window's message and exits 1;\n"
         "nothing is written then. --save after a load that kept only part of the document (a\n"
         "row that could not be read, rows without their side or PDO) is refused the same way,\n"
         "naming the rows it would lose.\n",
         RunCanopen},
    };
}

}  // namespace kestrova::cli
