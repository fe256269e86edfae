#include "core/outputs/gsd_file.h"

#include "output_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kestrova::testing {
namespace {

using Lines = std::vector<std::string>;

Lines Matching(const Lines& lines, const std::string& prefix) {
    Lines found;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
                 [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    return found;
}

Lines ProjectLines(const OutputProject& project) { return GsdLines(ComputeModuleLayout(project.context())); }

// Lines 153 to 157: Max_Module, Modul_Offset, Max_Input_Len, Max_Output_Len, Max_Data_Len.
Lines Computed(const Lines& lines) { return Lines(lines.begin() + 152, lines.begin() + 157); }

// Written over a longer file, which it replaces whole.
TEST(GsdFile, LayoutExampleTextMatchesTheReferenceFileLineByLine) {
    OutputProject project("layout_example");
    const std::string path = project.directory() + "/gateway.gsd";
    WriteText(path, std::string(100000, 'x'));
    WriteGsdFile(project.context(), path);
    const std::string written = ReadText(path), expected = ReadText(OutputData("layout_example_packed.gsd"));
    ASSERT_EQ(expected.substr(expected.size() - 2), "\r\n");
    size_t at = 0, line = 1;
    for (size_t end; (end = expected.find("\r\n", at)) != std::string::npos; at = end + 2, ++line)
        EXPECT_EQ(written.substr(at, end + 2 - at), expected.substr(at, end + 2 - at)) << "line " << line;
    EXPECT_EQ(written.size(), expected.size());
}

// The worked table: per option pair, Max_Module, Max_Input_Len, Max_Output_Len, Max_Data_Len,
// then each module as DI or DO and its length; slot n holds module n.
TEST(GsdFile, WorkedExampleForTheFourOptionPairs) {
    const auto perFrame = [](bool sendBits) {
        Lines modules{"DI 8", "DI 20", "DI 8"};
        if (sendBits) modules.push_back("DI 2");
        modules.insert(modules.end(), 9, "DO 8");
        if (sendBits) modules.push_back("DO 2");
        return modules;
    };
    const struct {
        const char *profiModule, *sendJ1939;
        Lines computed, modules;
    } rows[] = {{"0", "0", {"3", "36", "72", "108"}, {"DI 36", "DO 64", "DO 8"}},
                {"0", "1", {"3", "38", "74", "112"}, {"DI 38", "DO 64", "DO 10"}},
                {"1", "0", {"12", "36", "72", "108"}, perFrame(false)},
                {"1", "1", {"14", "38", "74", "112"}, perFrame(true)}};
    for (const auto& row : rows) {
        OutputProject project("layout_example");  // frames of 8, 20 and 8 bytes; nine send frames
        project.WritePargen(row.profiModule, row.sendJ1939);
        const auto lines = ProjectLines(project);
        const auto& c = row.computed;
        EXPECT_EQ(Computed(lines), (Lines{"Max_Module=" + c[0], "Modul_Offset=1", "Max_Input_Len=" + c[1],
                                          "Max_Output_Len=" + c[2], "Max_Data_Len=" + c[3]}));
        Lines modules, slots{"SlotDefinition"};
        for (size_t i = 0; i < row.modules.size(); ++i) {
            const bool input = row.modules[i][1] == 'I';
            char text[80];
            std::snprintf(text, sizeof text, "Module=\"%s  (PORT%zu)    \" %s,0x%02X,0x00,0x%02zX",
                          row.modules[i].substr(0, 2).c_str(), i + 1, input ? "0x42" : "0x82",
                          std::stoi(row.modules[i].substr(3)) - 1, i + 1);
            modules.push_back(text);
            const std::string n = std::to_string(i + 1);
            slots.push_back("Slot(" + n + ") = \"Slot " + n + "\" " + n + " " + n);
        }
        EXPECT_EQ(Matching(lines, "Module="), modules) << row.profiModule << row.sendJ1939;
        for (const std::string end : {"EndSlotDefinition", "", "", "", ""}) slots.push_back(end);
        EXPECT_EQ(Lines(lines.end() - static_cast<long>(slots.size()), lines.end()), slots);
        EXPECT_EQ(lines.size(), 189 + modules.size() * 3 + 3 + slots.size());
    }
}

// With send bits on but no send frame the send-bit modules would hold 0 bytes: they are left
// out, and Max_Module counts only the modules written.
TEST(GsdFile, NoFramesAndEmptySendBitModules) {
    OutputProject project;
    project.WritePargen("1", "1");
    auto lines = ProjectLines(project);
    EXPECT_EQ(Computed(lines), (Lines{"Max_Module=0", "Modul_Offset=1", "Max_Input_Len=0", "Max_Output_Len=0", "Max_Data_Len=0"}));
    EXPECT_EQ(Lines(lines.begin() + 189, lines.end()), (Lines{"", "", "", "SlotDefinition", "EndSlotDefinition", "", "", "", ""}));

    project.WriteReceive(OutputProject::NormalRows(2));
    lines = ProjectLines(project);
    EXPECT_EQ(lines[152], "Max_Module=2");
    EXPECT_EQ(lines[154], "Max_Input_Len=16");
    EXPECT_EQ(Matching(lines, "Module="), (Lines{"Module=\"DI  (PORT1)    \" 0x42,0x07,0x00,0x01",
                                               "Module=\"DI  (PORT2)    \" 0x42,0x07,0x00,0x02"}));
    EXPECT_EQ(Matching(lines, "Slot(").size(), 2u);
}

// Packed modules round up at 64 bytes.
TEST(GsdFile, PackedInputOf64And65Bytes) {
    OutputProject project;
    project.WritePargen("0", "0");
    project.WriteReceive(OutputProject::NormalRows(8));
    const std::string first = "Module=\"DI  (PORT1)    \" 0x42,0x3F,0x00,0x01";
    EXPECT_EQ(Matching(ProjectLines(project), "Module="), Lines{first});
    project.WriteReceive({OutputProject::Normal(), OutputProject::Transport("57")});
    const auto lines = ProjectLines(project);
    EXPECT_EQ(Matching(lines, "Module="), (Lines{first, "Module=\"DI  (PORT2)    \" 0x42,0x00,0x00,0x02"}));
    EXPECT_EQ(lines[154], "Max_Input_Len=65");
}

TEST(GsdFile, SixtyModulesPerFrameAndModuleSixteen) {
    OutputProject project;
    project.WritePargen("1", "0");
    project.WriteReceive(OutputProject::NormalRows(30));
    project.WriteSend(30);
    const auto lines = ProjectLines(project);
    EXPECT_EQ(lines[152], "Max_Module=60");
    const auto slots = Matching(lines, "Slot(");
    ASSERT_EQ(slots.size(), 60u);
    EXPECT_EQ(slots.back(), "Slot(60) = \"Slot 60\" 60 60");
    const auto sixteen = std::find(lines.begin(), lines.end(), "Module=\"DI  (PORT16)    \" 0x42,0x07,0x00,0x10");
    ASSERT_NE(sixteen, lines.end());
    EXPECT_EQ(Lines(sixteen + 1, sixteen + 3), (Lines{"16", "EndModule"}));
}

TEST(GsdFile, NoInvalidLengthByteIsEverWritten) {
    const auto perFrame = [](std::vector<uint8_t> lengths) {
        ModuleLayout layout;
        layout.PerFrameModules = 1;
        layout.InputModules = static_cast<int32_t>(lengths.size());
        layout.ReceiveFrameLengths = std::move(lengths);
        return layout;
    };
    ModuleLayout negative;
    negative.InputBytes = -5;
    const std::vector<std::pair<ModuleLayout, std::string>> rows{
        {perFrame({8, 0}), "module 2 would hold 0 bytes"}, {perFrame({65}), "module 1 would hold 65 bytes"},
        {negative, "negative data length"}, {perFrame(std::vector<uint8_t>(256, 8)), "needs 256 modules"}};
    for (const auto& [layout, message] : rows) {
        const std::string error = ErrorText([&] { GsdLines(layout); });
        EXPECT_NE(error.find(message), std::string::npos) << message << ": " << error;
    }
    EXPECT_EQ(ErrorText([&] { GsdLines(perFrame(std::vector<uint8_t>(255, 8))); }), "");
}

TEST(GsdFile, WritingFailuresWriteNothing) {
    OutputProject project("layout_example");
    const std::string missing = project.directory() + "/no/such/out.gsd";
    EXPECT_EQ(ErrorText([&] { WriteGsdFile(project.context(), missing); }),
              "Cannot create file \"" + missing + "\". No such file or directory");
    // A document that does not parse stops the writer before anything is written.
    WriteText(project.context().documents.receiveFrame, "<Receive_Frames>");
    EXPECT_NE(ErrorText([&] { WriteGsdFile(project.context(), project.directory() + "/new.gsd"); }), "");
    EXPECT_FALSE(std::filesystem::exists(project.directory() + "/new.gsd"));
}

}  // namespace
}  // namespace kestrova::testing
