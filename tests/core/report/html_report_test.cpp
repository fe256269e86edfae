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
    // The table right after the heading that begins with `heading`, row by row.
    std::vector<std::vector<std::string>> TableAfter(const std::string& heading) const {
        for (const auto& h2 : document.select_nodes("//h2")) {
            if (std::string(h2.node().text().get()).rfind(heading, 0) != 0) continue;
            for (pugi::xml_node next = h2.node().next_sibling(); next && std::string(next.name()) != "h2";
                 next = next.next_sibling()) {
                if (std::string(next.name()) != "table") continue;
                std::vector<std::vector<std::string>> rows;
                for (const auto& tr : next.select_nodes("tbody/tr")) {
                    std::vector<std::string> row;
                    for (pugi::xml_node td : tr.node().children("td")) row.push_back(td.text().get());
                    rows.push_back(row);
                }
                return rows;
            }
        }
        return {};
    }
};

std::string Report(const OutputProject& project) {
    return HtmlReport(BuildProjectSummary(project.context(), {"", "2026-01-02 03:04"}));
}

TEST(HtmlReport, SelfContainedWellFormedAndReadableWithoutStyle) {
    OutputProject project("worked_example");
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
          "Active diagnostic trouble codes", "Gateway command", "0xFEF1", "0xFECA", "0xFF00", "T2", "250 ms",
          "packed modules of up to 64 bytes", "Module 1 (slot 1)", "No warnings."})
        EXPECT_NE(text.find(words), std::string::npos) << words;
}

TEST(HtmlReport, LegendsAreTheMapCsv) {
    OutputProject project("worked_example");
    project.WritePargen("1", "1");
    ParsedReport report(Report(project));
    const std::string csv = IoMapCsv(BuildIoMap(project.context()));
    std::vector<std::vector<std::string>> fromCsv[2];
    for (const auto& f : CsvRows(csv))
        fromCsv[f[0] == "input" ? 0 : 1].push_back(
            {"", f[7], f[11] == "send bits, one per send frame" ? "send bits" : f[11], f[8], f[9], f[10], f[1], f[2],
             f[3] == f[4] ? f[3] : f[3] + "-" + f[4]});
    EXPECT_EQ(report.TableAfter("PROFIBUS input data (29 bytes)"), fromCsv[0]);
    EXPECT_EQ(report.TableAfter("PROFIBUS output data (9 bytes)"), fromCsv[1]);
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
    for (const auto& warning : LintProject(project.context())) EXPECT_NE(text.find(warning.reason), std::string::npos);
    EXPECT_EQ(report.TableAfter("Lint warnings (1)"),
              (std::vector<std::vector<std::string>>{
                  {"Send_Info.xml", "",
                   "1 row for the 30 frames of Send_Frame.xml: the byte mapping no longer follows "
                   "the frame list"}}));
    EXPECT_EQ(report.TableAfter("Receive frames (30)").size(), 30u);
}

TEST(HtmlReport, HostileTextStaysText) {
    OutputProject project;
    project.WritePargen();
    WriteText(project.context().documents.receiveFrame,
              "<Receive_Frames><row DataPage=\"0\" PGN=\"0xFEF1\" SA=\"0\" TP=\"N\" Delete=\"N\" OnRequest=\"N\" "
              "Mnemonic=\"&lt;script&gt;alert('x')&lt;/script&gt; &amp; &quot;q&quot;\"/></Receive_Frames>");
    ParsedReport report(Report(project));
    EXPECT_TRUE(report.document.select_nodes("//script").empty());
    EXPECT_NE(report.Text().find("<script>alert('x')</script> & \"q\""), std::string::npos);
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
        {"report.html", ReportFormat::Html}, {"REPORT.HTM", ReportFormat::Html}, {"a/b.pdf", ReportFormat::Pdf},
        {"b.PDF", ReportFormat::Pdf},        {"report.txt", std::nullopt},       {"pdf", std::nullopt},
        {"report.html.bak", std::nullopt},   {"dir/.pdf", std::nullopt},         {"", std::nullopt},
    };
    for (const auto& [path, format] : cases) EXPECT_EQ(ReportFormatOf(path), format) << path;
    EXPECT_EQ(ReportNameRefusal("x.txt"), "A report is written as a .pdf or an .html file: \"x.txt\" is neither.");
}

TEST(HtmlReport, WrittenWhole) {
    OutputProject project("worked_example");
    const std::string path = project.directory() + "/report.html";
    WriteHtmlReport(BuildProjectSummary(project.context(), {"", "2026-01-02 03:04"}), path);
    EXPECT_EQ(ReadText(path), Report(project));
    EXPECT_THROW(WriteHtmlReport(BuildProjectSummary(project.context()), project.directory() + "/no/such/r.html"),
                 Error);
}

}  // namespace
}  // namespace kestrova::testing
