// kestrova-cli report on copies of the sample project and on generated projects.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/project/file_system.h"
#include "core/readback/j1939_lint.h"
#include "core/report/report_document.h"
#include "core/report/report_fixture.h"
#include "core/report/sha256.h"
#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

struct CliResult {
    int status = -1;
    std::string out, err;
};

// Runs a shell command line; the arguments of these tests hold no single quote.
CliResult Shell(const std::string& command, const kestrova::testing::TempDir& dir) {
    const int raw = std::system((command + " >'" + (dir / "out") + "' 2>'" + (dir / "err") + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir / "out"), ReadText(dir / "err")};
}

// Line breaks and runs of blanks as one blank, so words wrapped in a table cell still match;
// the typeface's ligatures (pdftotext gives U+FB01 for "fi", U+FB02 for "fl") as their letters.
std::string Flat(std::string text) {
    for (const auto& [ligature, letters] : {std::pair<std::string, std::string>{"\uFB01", "fi"}, {"\uFB02", "fl"}})
        for (size_t at = text.find(ligature); at != std::string::npos; at = text.find(ligature, at))
            text.replace(at, ligature.size(), letters);
    std::string flat;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
        if (!blank)
            flat += c;
        else if (!flat.empty() && flat.back() != ' ')
            flat += ' ';
    }
    return flat;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class Report : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;
    std::string project = dir / "sample_project";

    void SetUp() override {
        std::filesystem::copy(std::string(KESTROVA_TEST_DATA) + "/../../examples/sample_project", project,
                              std::filesystem::copy_options::recursive);
        // a send frame on a timer the project does not define: one lint warning
        const std::string send = ReadText(project + "/Send_Frame.xml");
        WriteText(project + "/Send_Frame.xml", std::string(send).replace(send.find("TT=\"1\""), 6, "TT=\"3\""));
    }
    // Without a display: the report needs none.
    CliResult Cli(const std::vector<std::string>& arguments) {
        std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + std::string(KESTROVA_CLI_PATH) + "'";
        for (const auto& argument : arguments) command += " '" + argument + "'";
        return Shell(command, dir);
    }
    // Every text the report must hold: each frame's mnemonic and PGN, each lint warning.
    std::vector<std::string> Expected() {
        std::vector<std::string> texts = {
            "Vehicle speed", "Active diagnostic trouble codes", "Gateway command", "0xFEF1", "0xFECA", "0xFF00"};
        kestrova::ProjectContext context = kestrova::MakeProjectContext(dir.path());
        context.projectDirectory = project;
        context.DeriveDocumentPaths();
        for (const auto& warning : kestrova::LintProject(context)) texts.push_back(warning.reason);
        EXPECT_EQ(texts.size(), 7u);
        return texts;
    }
};

TEST_F(Report, HtmlOfTheSampleProjectWithItsFiles) {
    ASSERT_EQ(Cli({"image", project}).status, 0);
    ASSERT_EQ(Cli({"gsd", project, dir / "sample.gsd"}).status, 0);
    const CliResult run = Cli({"report", project, dir / "sample.html", "--gsd", dir / "sample.gsd"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "report written to " + (dir / "sample.html") + "\n");
    const std::string html = Flat(ReadText(dir / "sample.html"));
    for (const auto& text : Expected()) EXPECT_NE(html.find(text), std::string::npos) << text;
    EXPECT_NE(html.find(kestrova::Sha256Hex(ReadText(project + "/bin/bank.bin"))), std::string::npos);
    EXPECT_NE(html.find(kestrova::Sha256Hex(ReadText(dir / "sample.gsd"))), std::string::npos);
    EXPECT_EQ(Count(html, "consistent with the project"), 2u);
    // the legend rows: frame, label, DP, PGN, SA, offset, length, module
    EXPECT_NE(html.find("<td>R2</td><td>Active diagnostic trouble codes</td><td>0</td><td>0xFECA</td><td>3</td>"
                        "<td>8</td><td>20</td><td>1</td>"),
              std::string::npos);
}

#ifdef KESTROVA_PDF_REPORT
TEST_F(Report, PdfOfTheSampleProjectWithoutADisplay) {
    const CliResult run = Cli({"report", project, dir / "sample.pdf"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadText(dir / "sample.pdf").rfind("%PDF-", 0), 0u);
    const CliResult text = Shell("pdftotext '" + (dir / "sample.pdf") + "' -", dir);
    ASSERT_EQ(text.status, 0) << "pdftotext (poppler-utils): " << text.err;
    const std::string flat = Flat(text.out);
    for (const auto& expected : Expected()) EXPECT_NE(flat.find(expected), std::string::npos) << expected;
    // every page: the project's name and the date at the top, its number at the foot
    const size_t pages = Count(text.out, "\f");
    ASSERT_GE(pages, 2u);
    EXPECT_EQ(Count(flat, "Project Overview: sample_project"), pages + 1);  // once more as the title
    for (size_t page = 1; page <= pages; ++page)
        EXPECT_NE(flat.find("Page " + std::to_string(page) + " of " + std::to_string(pages)), std::string::npos);
    // the picture's own texts: offsets, band labels and module numbers
    for (const char* picture : {"+15", "Module 1 (slot 1)", "Gateway command"})
        EXPECT_NE(flat.find(picture), std::string::npos) << picture;

    const CliResult raster =
        Shell("pdftoppm -r 40 -png -f 1 -l 1 '" + (dir / "sample.pdf") + "' '" + (dir / "page") + "'", dir);
    ASSERT_EQ(raster.status, 0) << raster.err;
    bool png = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        png |= entry.path().filename().string().rfind("page", 0) == 0 && entry.path().extension() == ".png";
    EXPECT_TRUE(png);
}

// Long tables continue on the next page below their header again; no page ends with a heading.
TEST_F(Report, PdfPagesBreakBetweenRowsUnderTheirHeader) {
    kestrova::testing::OutputProject generated;
    generated.WritePargen("1", "0");
    kestrova::testing::WriteDistinctFrames(generated, 30, 30);
    const std::string out = dir / "long.pdf";
    ASSERT_EQ(Cli({"report", generated.directory(), out}).status, 0);
    const CliResult text = Shell("pdftotext '" + out + "' -", dir);
    ASSERT_EQ(text.status, 0) << text.err;
    std::vector<std::vector<std::string>> pages(1);
    for (size_t at = 0, end; at < text.out.size(); at = end + 1) {
        end = std::min(text.out.find_first_of("\n\f", at), text.out.size());
        const std::string line = text.out.substr(at, end - at);
        if (!line.empty() && line.rfind("Page ", 0) != 0) pages.back().push_back(line);
        if (end < text.out.size() && text.out[end] == '\f') pages.emplace_back();
    }
    pages.erase(std::remove_if(pages.begin(), pages.end(), [](const auto& page) { return page.empty(); }), pages.end());
    ASSERT_GE(pages.size(), 3u);
    const auto has = [](const std::vector<std::string>& page, const std::string& line) {
        return std::count(page.begin(), page.end(), line) > 0;
    };
    for (const auto& page : pages)
        for (const char* heading :
             {kestrova::kReceiveSection, kestrova::kSendSection, kestrova::kTimerSection, kestrova::kLayoutSection,
              kestrova::kInputSection, kestrova::kOutputSection, kestrova::kWarningSection, kestrova::kFileSection})
            EXPECT_NE(page.back().rfind(heading, 0), 0u) << page.back();
    // the last rows of the frame tables lie on a later page than their first rows
    for (const char* last : {"R30", "S30"}) {
        const auto page = std::find_if(pages.begin(), pages.end(), [&](const auto& p) { return has(p, last); });
        ASSERT_NE(page, pages.end()) << last;
        EXPECT_TRUE(has(*page, "Mnemonic")) << last;
    }
}
#endif

TEST_F(Report, GeneratedProjectsAllRender) {
    struct Case {
        const char* name;
        const char* profiModule;
        const char* sendBits;
        int receive, send;
        bool refused;
    } cases[] = {
        {"no_frames", "0", "0", 0, 0, false},
        {"thirty_and_thirty", "1", "0", 30, 30, false},
        {"sixty_one_modules", "1", "1", 29, 30, false},
        {"refused", "1", "1", 30, 30, true},
    };
    for (const auto& c : cases) {
        kestrova::testing::OutputProject generated;
        generated.WritePargen(c.profiModule, c.sendBits);
        kestrova::testing::WriteDistinctFrames(generated, c.receive, c.send);
        std::vector<std::string> outs = {dir / (std::string(c.name) + ".html")};
#ifdef KESTROVA_PDF_REPORT
        outs.push_back(dir / (std::string(c.name) + ".pdf"));
#endif
        for (const auto& out : outs) {
            const CliResult run = Cli({"report", generated.directory(), out});
            EXPECT_EQ(run.status, 0) << c.name << run.err;
            EXPECT_EQ(
                run.out.find("no byte map: Error!! Is not possible to create more of 61 modules") != std::string::npos,
                c.refused)
                << run.out;
            EXPECT_TRUE(kestrova::FileExists(out)) << out;
        }
    }
}

TEST_F(Report, BadArgumentsWriteNothing) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    } cases[] = {
        {{"report", project, dir / "r.txt"}, 2, "is neither"},
        {{"report", project}, 2, "missing OUT"},
        {{"report", dir / "nowhere", dir / "r.html"}, 1, "does not exist"},
        {{"report", project, dir / "r.html", "--gsd", dir / "missing.gsd"}, 1, "missing.gsd"},
        {{"report", project, dir / "no/such/folder/r.html"}, 1, "r.html"},
    };
    for (const auto& c : cases) {
        const CliResult run = Cli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "r.html"));
    EXPECT_FALSE(std::filesystem::exists(dir / "r.txt"));
    const CliResult help = Cli({"--help"});
    EXPECT_NE(help.out.find("\n  report PROJECT_DIR OUT [--gsd FILE]\n"), std::string::npos);
}

}  // namespace
