#pragma once

#include <optional>
#include <string>

namespace kestrova {

// A report is written as HTML or as PDF, chosen by the file name's ending.
enum class ReportFormat { Html, Pdf };

// ".html" or ".htm" (HTML), ".pdf" (PDF), in either case; nothing for any other name.
std::optional<ReportFormat> ReportFormatOf(const std::string& path);

// The save dialog of "Save Report...".
inline constexpr const char* kReportFileFilter = "PDF report (*.pdf)|*.pdf|HTML report (*.html)|*.html";
// The refusal of a name with another ending.
inline constexpr const char* kReportNameRefusal = "A report is written as a .pdf or an .html file: \"%s\" is neither.";

// The refusal for `path`, "%s" replaced by it.
std::string ReportNameRefusal(const std::string& path);

}  // namespace kestrova
