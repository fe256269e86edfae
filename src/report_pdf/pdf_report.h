#pragma once

#include <QByteArray>
#include <QGuiApplication>
#include <memory>
#include <string>

#include "core/report/project_summary.h"

namespace kestrova {

// The report as a PDF document: A4 pages, each with the project's name and the date at the top
// and "Page n of m" at the foot; the byte maps drawn as vector graphics. Needs a
// QGuiApplication (fonts); a program without one starts it with StartReportApplication.
QByteArray PdfReport(const ProjectSummary& summary);

// Writes the PDF report to `path` whole (beside it, then renamed). Throws Error with the
// system's reason when the file cannot be written.
void WritePdfReport(const ProjectSummary& summary, const std::string& path);

// For a program without a Qt application (kestrova-cli): starts one on the offscreen platform,
// which needs no display. Returns nothing when the program already has one.
std::unique_ptr<QGuiApplication> StartReportApplication();

}  // namespace kestrova
