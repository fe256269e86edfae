#include "core/report/report_format.h"

#include <cctype>

namespace kestrova {
namespace {

bool EndsWith(const std::string& path, const std::string& ending) {
    if (path.size() <= ending.size()) return false;
    for (size_t i = 0; i < ending.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - ending.size() + i])) != ending[i]) return false;
    return path[path.size() - ending.size() - 1] != '/';
}

}  // namespace

std::optional<ReportFormat> ReportFormatOf(const std::string& path) {
    if (EndsWith(path, ".html") || EndsWith(path, ".htm")) return ReportFormat::Html;
    if (EndsWith(path, ".pdf")) return ReportFormat::Pdf;
    return std::nullopt;
}

std::string ReportNameRefusal(const std::string& path) {
    std::string text = kReportNameRefusal;
    text.replace(text.find("%s"), 2, path);
    return text;
}

}  // namespace kestrova
