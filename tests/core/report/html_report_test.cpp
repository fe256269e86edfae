#include "core/report/html_report.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "core/outputs/bank_image.h"
#include "core/report/report_format.h"
#include "report_fixture.h"

namespace kestrova::testing {
namespace {

// The report parsed as XML: well-formed, or the test fails with the parser's position.
struct ParsedReport {
    pugi::xml_document document;
    explicit ParsedReport(const std::string& html) {
        const auto result = document.load_string(html.c_str(), pugi::parse_default | pugi::parse_doctype);
        EXPECT_TRUE(result) << result.description() << " at " << result.offset << ": "
                            << html.substr(result.offset > 40 ? result.offset - 40 : 0, 80);
    }
    // Every text of the body, blank-separated: what a reader with the style sheet off reads.
    std::string Text() const {
        std::string text;
        for (const auto& node : document.select_nodes("//body//text()")) text += std::string(node.node().value()) + " ";
        return text;
    }
    // The cell texts of the first table after the heading that begins with `heading`.
    std::vector<std::string> CellsAfter(const std::string& heading) const {
        std::vector<std::string> cells;
        const std::string path = "//h2[starts-with(., '" + heading + "')]/following-sibling::table[1]/tbody/tr/td";
        for (const auto& td : document.select_nodes(path.c_str())) cells.push_back(td.node().text().get());
        return cells;
    }
};

std::string Report(const OutputProject& project) {
    return HtmlReport(BuildProjectSummary(project.context(), {"", "2026-01-02 03:04"}));
}

TEST(HtmlReport, SelfContainedWellFormedAndReadableWithoutStyle) {
    OutputProject project("worked_example");
    std::string send = ReadText(project.context().documents.sendFrame);  // a mnemonic that looks like markup
    WriteText(
        project.context().documents.sendFrame,
        send.replace(send.find("Gateway command"), 15, "&lt;script&gt;alert('x')&lt;/script&gt; &amp; &quot;q&quot;"));
    const std::string html = Report(project);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"en\">", 0), 0u);
    ParsedReport report(html);
    EXPECT_EQ(report.document.select_nodes("//svg").size(), 2u + 3u);  // two maps, three legend swatches
    EXPECT_EQ(report.document.select_nodes("//svg[@role='img']/title").size(), 2u);
    for (const char* outside : {"//script", "//link", "//img", "//iframe", "//object", "//embed", "//@href", "//@src",
                                "//@style", "//@onload"})
        EXPECT_TRUE(report.document.select_nodes(outside).empty()) << outside;
    EXPECT_EQ(html.find("url("), std::string::npos);
    EXPECT_EQ(html.find("http"), std::string::npos);

    const std::string text = report.Text();
    for (const char* words :
         {"Project Overview: Demo", "made on 2026-01-02 03:04", "J1939 Baud rate", "5 (250K)", "Vehicle speed",
          "Active diagnostic trouble codes", "<script>alert('x')</script> & \"q\"", "0xFEF1", "0xFECA", "0xFF00", "T2",
          "250 ms", "packed modules of up to 64 bytes", "Module 1 (slot 1)", "No warnings."})
        EXPECT_NE(text.find(words), std::string::npos) << words;
}

TEST(HtmlReport, WarningsAndARefusal) {
    OutputProject project;
    project.WritePargen("1", "1");
    WriteDistinctFrames(project, 30, 30);
    WriteText(project.context().documents.sendInfo, "<Send_Info><row/></Send_Info>");
    ParsedReport report(Report(project));
    EXPECT_TRUE(report.document.select_nodes("//svg[@role='img']").empty());
    const std::string text = report.Text();
    EXPECT_NE(text.find("No byte map: Error!! Is not possible to create more of 61 modules"), std::string::npos);
    EXPECT_EQ(report.CellsAfter("Lint warnings (1)"),
              (std::vector<std::string>{"Send_Info.xml", "",
                                        "1 row for the 30 frames of Send_Frame.xml: the byte mapping no longer "
                                        "follows the frame list"}));
    EXPECT_NE(text.find("Receive 30"), std::string::npos);  // the lists stay
}

TEST(HtmlReport, HtmlText) {
    const std::pair<std::string, std::string> cases[] = {
        {"a<b>&c", "a&lt;b&gt;&amp;c"},
        {"\"it's\"", "&quot;it&#39;s&quot;"},
        {"line\nbreak\x1b", "line break "},
        {"ok \xc3\xbc", "ok \xc3\xbc"},
        {"bad \xff byte \xc3", "bad \xef\xbf\xbd byte \xef\xbf\xbd"},
    };
    for (const auto& [text, html] : cases) EXPECT_EQ(HtmlText(text), html) << text;
}

TEST(HtmlReport, FormatByName) {
    const std::pair<const char*, std::optional<ReportFormat>> cases[] = {
        {"REPORT.HTM", ReportFormat::Html}, {"a/b.PDF", ReportFormat::Pdf},
        {"report.html.bak", std::nullopt},  {"pdf", std::nullopt},
        {"dir/.pdf", std::nullopt},
    };
    for (const auto& [path, format] : cases) EXPECT_EQ(ReportFormatOf(path), format) << path;
    EXPECT_EQ(ReportNameRefusal("x.txt"), "A report is written as a .pdf or an .html file: \"x.txt\" is neither.");
}

}  // namespace
}  // namespace kestrova::testing
