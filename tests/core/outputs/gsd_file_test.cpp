#include "core/outputs/gsd_file.h"

#include "core/project/error.h"
#include "output_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kestrova {
namespace {

using testing::OutputProject;
using testing::ReadText;

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "the last line ends in CR LF, nothing follows";
    return lines;
}

std::vector<std::string> Lines(const ModuleLayout& layout) { return GsdLines(layout); }

// The lines after the fixed part (line 189): module definitions and slots.
std::vector<std::string> Tail(const std::vector<std::string>& lines) {
    return std::vector<std::string>(lines.begin() + 189, lines.end());
}

std::vector<std::string> ModuleLines(const std::vector<std::string>& lines) {
    std::vector<std::string> modules;
    for (const auto& line : lines)
        if (line.rfind("Module=", 0) == 0) modules.push_back(line);
    return modules;
}

ModuleLayout LayoutOf(const std::string& profiModule, const std::string& sendJ1939) {
    OutputProject project;
    project.WriteLayoutExample(profiModule, sendJ1939);
    return ComputeModuleLayout(project.context());
}

TEST(GsdFile, LayoutExampleTextMatchesTheReferenceFileLineByLine) {
    OutputProject project("layout_example");
    const std::string path = project.directory() + "/gateway.gsd";
    WriteGsdFile(project.context(), path);
    const auto written = SplitCrLf(ReadText(path));
    const auto expected = SplitCrLf(ReadText(std::string(KESTROVA_TEST_DATA) + "/outputs/layout_example_packed.gsd"));
    ASSERT_EQ(written.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(written[i], expected[i]) << "line " << i + 1;
    EXPECT_EQ(ReadText(path).find('\n'), ReadText(path).find("\r\n") + 1);
}

TEST(GsdFile, HeaderBoxAndSeparatorWidths) {
    const auto lines = Lines(ModuleLayout{});
    for (size_t line = 2; line <= 21; ++line) EXPECT_EQ(lines[line - 1].size(), 85u) << "line " << line;
    for (size_t line : {27, 28, 29}) EXPECT_EQ(lines[line - 1].size(), 85u) << "line " << line;
    for (size_t line : {50, 51, 52, 87, 88, 89}) EXPECT_EQ(lines[line - 1].size(), 86u) << "line " << line;
    for (size_t line : {106, 107, 108, 133, 134, 135, 163, 164, 165, 170, 171, 172, 186, 187, 188})
        EXPECT_EQ(lines[line - 1].size(), 79u) << "line " << line;
    for (const auto& line : lines)
        for (const char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << line;
    EXPECT_EQ(lines[151], "Modular_Station=1");
    EXPECT_EQ(lines[157], "Max_Diag_Data_Len=18");
    EXPECT_EQ(lines[188], "");
}

struct GsdRow {
    const char* profiModule;
    const char* sendJ1939;
    std::vector<std::string> computed;  // lines 153 to 157
    std::vector<std::pair<bool, int>> modules;
};

class WorkedGsd : public ::testing::TestWithParam<GsdRow> {};

TEST_P(WorkedGsd, ModulesLengthsAndSlots) {
    const auto& row = GetParam();
    const auto lines = Lines(LayoutOf(row.profiModule, row.sendJ1939));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 152, lines.begin() + 157), row.computed);

    const auto modules = ModuleLines(lines);
    ASSERT_EQ(modules.size(), row.modules.size());
    for (size_t i = 0; i < modules.size(); ++i) {
        char expected[80];
        std::snprintf(expected, sizeof expected, "Module=\"%s  (PORT%zu)    \" %s,0x%02X,0x00,0x%02zX",
                      row.modules[i].first ? "DI" : "DO", i + 1, row.modules[i].first ? "0x42" : "0x82",
                      row.modules[i].second - 1, i + 1);
        EXPECT_EQ(modules[i], expected);
    }

    const auto tail = Tail(lines);
    const auto slot = std::find(tail.begin(), tail.end(), "SlotDefinition");
    ASSERT_NE(slot, tail.end());
    ASSERT_EQ(std::vector<std::string>(tail.begin(), slot).size(), modules.size() * 3 + 3);
    for (size_t i = 1; i <= modules.size(); ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(slot[static_cast<long>(i)], "Slot(" + n + ") = \"Slot " + n + "\" " + n + " " + n);
    }
    EXPECT_EQ(std::vector<std::string>(slot + static_cast<long>(modules.size()) + 1, tail.end()),
              (std::vector<std::string>{"EndSlotDefinition", "", "", "", ""}));
}

std::vector<std::pair<bool, int>> PerFrameModules(bool sendBits) {
    std::vector<std::pair<bool, int>> modules{{true, 8}, {true, 20}, {true, 8}};
    if (sendBits) modules.push_back({true, 2});
    for (int i = 0; i < 9; ++i) modules.push_back({false, 8});
    if (sendBits) modules.push_back({false, 2});
    return modules;
}

INSTANTIATE_TEST_SUITE_P(
    FourOptionPairs, WorkedGsd,
    ::testing::Values(
        GsdRow{"0", "0", {"Max_Module=3", "Modul_Offset=1", "Max_Input_Len=36", "Max_Output_Len=72", "Max_Data_Len=108"},
               {{true, 36}, {false, 64}, {false, 8}}},
        GsdRow{"0", "1", {"Max_Module=3", "Modul_Offset=1", "Max_Input_Len=38", "Max_Output_Len=74", "Max_Data_Len=112"},
               {{true, 38}, {false, 64}, {false, 10}}},
        GsdRow{"1", "0", {"Max_Module=12", "Modul_Offset=1", "Max_Input_Len=36", "Max_Output_Len=72", "Max_Data_Len=108"},
               PerFrameModules(false)},
        GsdRow{"1", "1", {"Max_Module=14", "Modul_Offset=1", "Max_Input_Len=38", "Max_Output_Len=74", "Max_Data_Len=112"},
               PerFrameModules(true)}));

TEST(GsdFile, ProjectWithoutFrames) {
    OutputProject project;
    project.WritePargen("1", "1");
    const auto lines = GsdLines(ComputeModuleLayout(project.context()));
    EXPECT_EQ(lines[152], "Max_Module=0");
    EXPECT_EQ(lines[154], "Max_Input_Len=0");
    EXPECT_EQ(lines[155], "Max_Output_Len=0");
    EXPECT_EQ(lines[156], "Max_Data_Len=0");
    EXPECT_EQ(Tail(lines), (std::vector<std::string>{"", "", "", "SlotDefinition", "EndSlotDefinition", "", "", "", ""}));
}

TEST(GsdFile, PackedInputOf64And65Bytes) {
    ModuleLayout layout;
    layout.InputBytes = 64;
    layout.InputModules = 1;
    EXPECT_EQ(ModuleLines(GsdLines(layout)), (std::vector<std::string>{"Module=\"DI  (PORT1)    \" 0x42,0x3F,0x00,0x01"}));
    layout.InputBytes = 65;
    layout.InputModules = 2;
    EXPECT_EQ(ModuleLines(GsdLines(layout)), (std::vector<std::string>{"Module=\"DI  (PORT1)    \" 0x42,0x3F,0x00,0x01",
                                                                        "Module=\"DI  (PORT2)    \" 0x42,0x00,0x00,0x02"}));
}

TEST(GsdFile, SixtyModulesPerFrameAndModuleSixteen) {
    OutputProject project;
    project.WritePargen("1", "0");
    project.WriteReceive(OutputProject::NormalRows(30));
    project.WriteSend(30);
    const auto lines = GsdLines(ComputeModuleLayout(project.context()));
    EXPECT_EQ(lines[152], "Max_Module=60");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Slot(", 0) == 0; }), 60);
    const auto sixteen = std::find(lines.begin(), lines.end(), "Module=\"DI  (PORT16)    \" 0x42,0x07,0x00,0x10");
    ASSERT_NE(sixteen, lines.end());
    EXPECT_EQ(sixteen[1], "16");
    EXPECT_EQ(sixteen[2], "EndModule");
    EXPECT_EQ(lines.back().size(), 0u);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Slot(60) = \"Slot 60\" 60 60"), lines.end());
}

// With send bits on but no send frame there are no send bits: their modules would hold 0
// bytes and are left out, and Max_Module counts only the modules written.
TEST(GsdFile, EmptySendBitModulesAreLeftOut) {
    OutputProject project;
    project.WritePargen("1", "1");
    project.WriteReceive(OutputProject::NormalRows(2));
    const auto lines = GsdLines(ComputeModuleLayout(project.context()));
    EXPECT_EQ(lines[152], "Max_Module=2");
    EXPECT_EQ(lines[154], "Max_Input_Len=16");
    EXPECT_EQ(ModuleLines(lines).size(), 2u);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Slot(", 0) == 0; }), 2);
    for (const auto& line : lines) EXPECT_EQ(line.find("0xFF"), std::string::npos) << line;
}

TEST(GsdFile, NoInvalidLengthByteIsEverWritten) {
    ModuleLayout layout;
    layout.PerFrameModules = 1;
    layout.ReceiveFrameLengths = {8, 0};
    layout.InputModules = 2;
    layout.InputBytes = 8;
    EXPECT_THROW(GsdLines(layout), Error);

    layout.ReceiveFrameLengths = {65};
    EXPECT_THROW(GsdLines(layout), Error);

    ModuleLayout packed;
    packed.InputBytes = -5;
    EXPECT_THROW(GsdLines(packed), Error);

    ModuleLayout many;
    many.PerFrameModules = 1;
    many.ReceiveFrameLengths.assign(256, 8);
    many.InputModules = 256;
    many.InputBytes = 2048;
    EXPECT_THROW(GsdLines(many), Error);
    many.ReceiveFrameLengths.resize(255);
    EXPECT_NO_THROW(GsdLines(many));
}

TEST(GsdFile, WritingReplacesOrReportsTheSystemReason) {
    OutputProject project("layout_example");
    const std::string path = project.directory() + "/out.gsd";
    testing::WriteText(path, std::string(100000, 'x'));
    WriteGsdFile(project.context(), path);
    EXPECT_EQ(ReadText(path), GsdText(ComputeModuleLayout(project.context())));

    const std::string missing = project.directory() + "/no/such/out.gsd";
    try {
        WriteGsdFile(project.context(), missing);
        FAIL() << "no error for a missing directory";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), ("Cannot create file \"" + missing + "\". No such file or directory").c_str());
    }

    // A document that does not parse stops the writer before anything is written.
    testing::WriteText(project.context().documents.receiveFrame, "<Receive_Frames>");
    EXPECT_THROW(WriteGsdFile(project.context(), project.directory() + "/new.gsd"), Error);
    EXPECT_FALSE(std::filesystem::exists(project.directory() + "/new.gsd"));
}

}  // namespace
}  // namespace kestrova
