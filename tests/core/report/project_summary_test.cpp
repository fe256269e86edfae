#include "core/report/project_summary.h"

#include <gtest/gtest.h>

#include "core/outputs/bank_image.h"
#include "core/outputs/gsd_file.h"
#include "core/outputs/project_limits.h"
#include "core/project/file_system.h"
#include "core/report/report_document.h"
#include "core/report/sha256.h"
#include "report_fixture.h"

namespace kestrova::testing {
namespace {

struct GeneratedProject {
    const char* name;
    const char* profiModule;
    const char* sendBits;
    int receive, send, transportEvery;
    size_t modules;
};

// The legend rows of one side of the report: frame, DP, PGN, SA, offset, length, modules.
std::vector<std::vector<std::string>> LegendRows(const ReportDocument& document, const char* section) {
    bool inSection = false;
    for (const auto& block : document.blocks) {
        if (block.kind == ReportBlockKind::Section) inSection = block.text.rfind(section, 0) == 0;
        if (inSection && block.kind == ReportBlockKind::Table) {
            std::vector<std::vector<std::string>> rows;
            for (const auto& row : block.table.rows)
                rows.push_back({row[1], row[3], row[4], row[5], row[6], row[7], row[8]});
            return rows;
        }
    }
    return {};
}

// The same columns from `kestrova-cli map --csv`: frame, data_page, pgn, source_address, offset, length,
// first_module-last_module.
std::vector<std::vector<std::string>> CsvSide(const std::string& csv, const char* area) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& fields : CsvRows(csv))
        if (fields[0] == area)
            rows.push_back({fields[7], fields[8], fields[9], fields[10], fields[1], fields[2],
                            fields[3] == fields[4] ? fields[3] : fields[3] + "-" + fields[4]});
    return rows;
}

TEST(ProjectSummary, ByteMapsAreTheIoMapOfGeneratedProjects) {
    const GeneratedProject projects[] = {
        {"no frames", "0", "0", 0, 0, 0, 0},
        {"30+30 frames, one module each", "1", "0", 30, 30, 0, 60},
        {"29+30 frames with send bits: 61 modules", "1", "1", 29, 30, 0, 61},
        {"30+30 packed with send bits: 244 input bytes", "0", "1", 30, 30, 0, 4 + 4},
        {"packed with transport frames", "0", "0", 12, 5, 3, 3 + 1},
    };
    for (const auto& generated : projects) {
        SCOPED_TRACE(generated.name);
        OutputProject project;
        project.WritePargen(generated.profiModule, generated.sendBits);
        WriteDistinctFrames(project, generated.receive, generated.send, generated.transportEvery);
        const ProjectSummary summary = BuildProjectSummary(project.context(), {"", "2026-01-02 03:04"});
        ASSERT_EQ(summary.refusal, "");
        ASSERT_TRUE(summary.map.has_value());
        EXPECT_EQ(summary.map->modules.size(), generated.modules);
        EXPECT_EQ(summary.receiveFrames.size(), static_cast<size_t>(generated.receive));
        EXPECT_EQ(summary.sendFrames.size(), static_cast<size_t>(generated.send));

        // The legends print what the CSV of the map command prints.
        const std::string csv = IoMapCsv(BuildIoMap(project.context()));
        const ReportDocument document = BuildReportDocument(summary);
        EXPECT_EQ(LegendRows(document, kInputSection), CsvSide(csv, "input"));
        EXPECT_EQ(LegendRows(document, kOutputSection), CsvSide(csv, "output"));

        // Each byte of each range is drawn in that range's band.
        for (const bool input : {true, false}) {
            const ByteMapDrawing drawing = DrawByteMap(*summary.map, input);
            for (size_t r = 0; r < summary.map->ranges.size(); ++r) {
                const auto& range = summary.map->ranges[r];
                if (range.input != input) continue;
                for (int b = range.offset; b < range.offset + range.length; ++b) {
                    ASSERT_LT(static_cast<size_t>(b), drawing.cells.size());
                    EXPECT_EQ(drawing.cells[b].range, static_cast<int>(r)) << range.frame << " byte " << b;
                }
            }
        }
    }
}

// Refused for its size (61 modules), or for a list that cannot be read: no map and the reason,
// under the title and in place of each map; the lists stay when they can be read.
TEST(ProjectSummary, ARefusedProjectSaysWhyThereIsNoMap) {
    OutputProject tooLarge, unreadable;
    tooLarge.WritePargen("1", "1");
    WriteDistinctFrames(tooLarge, 30, 30);
    unreadable.WritePargen();
    WriteText(unreadable.context().documents.receiveFrame,
              "<Receive_Frames><row DataPage=\"0\" PGN=\"speed\" SA=\"0\" TP=\"N\" Mnemonic=\"x\"/></Receive_Frames>");
    const struct {
        const OutputProject& project;
        std::string refusal;
        size_t receiveFrames;
    } cases[] = {
        {tooLarge, ProjectLimitsRefusal(tooLarge.context()).value_or("(passes)"), 30},
        {unreadable, "Receive_Frame.xml, row 1, PGN: 'speed' is not a valid integer value", 0},
    };
    for (const auto& c : cases) {
        const ProjectSummary summary = BuildProjectSummary(c.project.context());
        EXPECT_EQ(summary.refusal, c.refusal);
        EXPECT_FALSE(summary.map.has_value());
        EXPECT_EQ(summary.receiveFrames.size(), c.receiveFrames);
        size_t reasons = 0, maps = 0;
        for (const auto& block : BuildReportDocument(summary).blocks) {
            reasons += block.text == "No byte map: " + c.refusal;
            maps += block.kind == ReportBlockKind::ByteMap;
        }
        EXPECT_EQ(std::make_pair(reasons, maps), std::make_pair(size_t{3}, size_t{0})) << c.refusal;
    }
    OutputProject none;
    EXPECT_EQ(ErrorText([&] { BuildProjectSummary(none.withoutProject()); }), "Project not valid");
}

TEST(ProjectSummary, WarningsAreThoseOfLint) {
    OutputProject project("worked_example");
    // a frame received from the null address, and a send frame on an undefined timer
    WriteText(
        project.context().documents.receiveFrame,
        "<Receive_Frames><row DataPage=\"0\" PGN=\"0xFEF1\" SA=\"254\" TP=\"N\" Mnemonic=\"Speed\"/></Receive_Frames>");
    WriteText(project.context().documents.sendFrame,
              "<Receive_Frames><row Priority=\"6\" DataPage=\"0\" PGN=\"0xFF00\" SA=\"128\" TT=\"3\" "
              "Mnemonic=\"Command\"/></Receive_Frames>");
    const ProjectSummary summary = BuildProjectSummary(project.context());
    const auto lint = LintProject(project.context());
    ASSERT_EQ(lint.size(), 2u);
    ASSERT_EQ(summary.warnings.size(), lint.size());
    for (size_t i = 0; i < lint.size(); ++i) EXPECT_EQ(summary.warnings[i].Text(), lint[i].Text());
    for (const auto& block : BuildReportDocument(summary).blocks) {
        if (block.kind == ReportBlockKind::Table && block.table.header.back() == "Warning") {
            ASSERT_EQ(block.table.rows.size(), lint.size());
            EXPECT_EQ(block.table.rows.back(), (std::vector<std::string>{"Send_Frame.xml", "1", lint.back().reason}));
        }
    }
}

TEST(ProjectSummary, FilesWithTheirDigestAndTheVerifyResult) {
    OutputProject project("worked_example");
    EXPECT_TRUE(BuildProjectSummary(project.context()).files.empty());  // no bank.bin yet

    WriteBankImage(project.context(), BuildBankImage(project.context()));
    const std::string gsd = project.directory() + "/project.gsd";
    WriteGsdFile(project.context(), gsd);
    ProjectSummary summary = BuildProjectSummary(project.context(), {gsd, ""});
    ASSERT_EQ(summary.files.size(), 2u);
    const std::string image = ReadWholeFile(project.bankPath());
    EXPECT_EQ(std::tie(summary.files[0].what, summary.files[0].size, summary.files[0].sha256),
              std::make_tuple("configuration image", static_cast<long long>(image.size()), Sha256Hex(image)));
    EXPECT_EQ(std::tie(summary.files[1].what, summary.files[1].sha256),
              std::make_tuple("GSD file", Sha256Hex(ReadWholeFile(gsd))));
    EXPECT_TRUE(summary.files[0].Consistent() && summary.files[1].Consistent());

    // an edit after the image was loaded; an image file that is not an image; a missing GSD file
    std::string receive = ReadWholeFile(project.context().documents.receiveFrame);
    WriteText(project.context().documents.receiveFrame, receive.replace(receive.find("0xFEF1"), 6, "0xFEF2"));
    EXPECT_EQ(BuildProjectSummary(project.context()).files.at(0).differences,
              (std::vector<std::string>{"receive frame 1: PGN 0xFEF1 in the image, 0xFEF2 in the project"}));
    WriteText(project.bankPath(), "not an image");
    summary = BuildProjectSummary(project.context());
    EXPECT_FALSE(summary.files.at(0).problem.empty() || summary.files[0].Consistent());
    EXPECT_THROW(BuildProjectSummary(project.context(), {project.directory() + "/missing.gsd", ""}), Error);
}

}  // namespace
}  // namespace kestrova::testing
