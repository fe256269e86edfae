// kestrova-cli report: the whole project on paper, byte maps drawn.
#include <cstdio>

#include "cli_commands.h"
#include "cli_support.h"
#include "core/report/html_report.h"
#include "core/report/project_summary.h"
#include "core/report/report_format.h"
#ifdef KESTROVA_PDF_REPORT
#include "report_pdf/pdf_report.h"
#endif

namespace kestrova::cli {
namespace {

int RunReport(const std::vector<std::string>& arguments) {
    const auto positionals = Positionals(arguments);
    const std::string& out = positionals.at(1);
    const auto format = ReportFormatOf(out);
    if (!format) {
        std::fprintf(stderr, "kestrova-cli report: %s\n", ReportNameRefusal(out).c_str());
        return kUsage;
    }
#ifndef KESTROVA_PDF_REPORT
    if (*format == ReportFormat::Pdf) {
        std::fprintf(stderr, "This kestrova-cli was built without Qt and writes HTML reports only.\n");
        return kRefused;
    }
#endif
    const ProjectContext context = ProjectAt(positionals.at(0));
    SummaryOptions options;
    options.gsdPath = OptionValue(arguments, "--gsd").value_or("");
    const ProjectSummary summary = BuildProjectSummary(context, options);
    if (*format == ReportFormat::Html) {
        WriteHtmlReport(summary, out);
    } else {
#ifdef KESTROVA_PDF_REPORT
        const auto application = StartReportApplication();
        WritePdfReport(summary, out);
#endif
    }
    std::printf("report written to %s\n", out.c_str());
    if (!summary.refusal.empty()) std::printf("no byte map: %s\n", summary.refusal.c_str());
    return kDone;
}

}  // namespace

std::vector<Command> ReportCommands() {
    return {
        {"report", "PROJECT_DIR OUT [--gsd FILE]", "the project on paper (OUT.html or OUT.pdf), byte maps drawn",
         "Writes a report of the whole project: the communication settings in words, the receive\n"
         "and send frames, the timers, the module layout, the PROFIBUS input and output byte maps\n"
         "drawn (each frame a labelled band, module borders heavier) with their legends, the\n"
         "lint warnings, and the SHA-256 and size of bin/bank.bin with the verify result.\n"
         "OUT ending in .html gives one self-contained HTML file (inline style and pictures, no\n"
         "script, no link); OUT ending in .pdf gives an A4 PDF with the project's name, the date\n"
         "and page numbers on every page. No display is needed. Offsets and lengths are those\n"
         "of 'map'. A project the limits check refuses is reported with the reason instead of\n"
         "a byte map. An existing OUT is replaced whole.\n"
         "  --gsd FILE   also the SHA-256 and size of a GSD file, and whether it matches\n",
         RunReport},
    };
}

}  // namespace kestrova::cli
