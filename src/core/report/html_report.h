#pragma once

#include <string>

#include "core/report/byte_map_drawing.h"
#include "core/report/project_summary.h"

namespace kestrova {

// The report as one self-contained HTML5 file: inline CSS, the byte maps as inline SVG, no
// script and no link to anything outside it. It is also well-formed XML (only the five XML
// entities, every element closed), and reads in order with the style sheet switched off.
std::string HtmlReport(const ProjectSummary& summary);

// One byte map as an inline <svg> element, its picture described by `title`.
std::string ByteMapSvg(const ByteMapDrawing& drawing, const std::string& title);

// Text for an HTML element or attribute: the markup characters escaped, control characters
// as blanks, bytes that are not UTF-8 as U+FFFD.
std::string HtmlText(const std::string& text);

// Writes the report to `path` whole (beside it, then renamed). Throws Error with the system's
// reason when the file cannot be written.
void WriteHtmlReport(const ProjectSummary& summary, const std::string& path);

}  // namespace kestrova
