#pragma once

#include <string>
#include <vector>

#include "core/report/project_summary.h"

namespace kestrova {

// The report of a project as a sequence of blocks: headings, paragraphs, tables and byte maps,
// with every text already in words. The HTML report, the PDF report and the overview window's
// lists all set these blocks, so they say the same.

struct ReportTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> rowColours;  // a legend: each row's band colour ("#rrggbb"); else empty
};

enum class ReportBlockKind {
    Title,    // once, first
    Section,  // a heading
    Paragraph,
    Table,
    ByteMap,  // the picture of one side of the PROFIBUS data
};

struct ReportBlock {
    ReportBlockKind kind = ReportBlockKind::Paragraph;
    std::string text;   // Title, Section, Paragraph
    ReportTable table;  // Table
    bool input = true;  // ByteMap: the input or the output side
};

struct ReportDocument {
    std::string title;  // "Project Overview: sample_project"
    std::vector<ReportBlock> blocks;
};

ReportDocument BuildReportDocument(const ProjectSummary& summary);

// Section headings, in their order in the report.
inline constexpr const char* kCommunicationSection = "Communication";
inline constexpr const char* kReceiveSection = "Receive frames";
inline constexpr const char* kSendSection = "Send frames";
inline constexpr const char* kTimerSection = "Send timers";
inline constexpr const char* kLayoutSection = "Module layout";
inline constexpr const char* kInputSection = "PROFIBUS input data";
inline constexpr const char* kOutputSection = "PROFIBUS output data";
inline constexpr const char* kWarningSection = "Lint warnings";
inline constexpr const char* kFileSection = "Files";

// The header of the legend tables; the first column is the band's colour.
inline constexpr const char* kLegendColumns[] = {"Colour", "Frame",  "Label",  "DP",           "PGN",
                                                 "SA",     "Offset", "Length", "Module / slot"};

}  // namespace kestrova
