#include "core/outputs/io_map.h"

#include "core/outputs/bank_image.h"
#include "output_fixture.h"

#include <gtest/gtest.h>

namespace kestrova::testing {
namespace {

// Every range of the map lies where the image puts the frame's data and in the modules the
// GSD file declares for those bytes.
void ExpectAgreesWithImageAndGsd(const OutputProject& project, const IoMap& map) {
    const auto image = BuildBankImage(project.context());
    const auto modules = ListGsdModules(ComputeModuleLayout(project.context()));
    EXPECT_EQ(map.modules.size(), modules.size());
    size_t receive = 0;
    for (const auto& range : map.ranges) {
        if (range.input && range.isFrame) {
            ASSERT_LT(receive, image.receiveFrames.size());
            EXPECT_EQ(range.offset, image.receiveFrames[receive].dataOffset);
            EXPECT_EQ(range.length, image.receiveFrames[receive].dataLength);
            ++receive;
        }
        // Bytes of the range fall inside the modules named, counted from the side's start.
        int start = 0;
        for (const auto& module : modules) {
            if (module.input != range.input) continue;
            const bool overlaps = range.offset < start + module.length && range.offset + range.length > start;
            const bool named = module.number >= range.firstModule && module.number <= range.lastModule;
            EXPECT_EQ(overlaps, named) << range.frame << " module " << module.number;
            start += module.length;
        }
    }
    EXPECT_EQ(receive, image.receiveFrames.size());
}

// "in R2 8+20 1-1" for each range, then "in 28 out 8" for the module totals.
std::vector<std::string> Checked(const OutputProject& project) {
    const IoMap map = BuildIoMap(project.context());
    ExpectAgreesWithImageAndGsd(project, map);
    std::vector<std::string> lines;
    for (const auto& r : map.ranges)
        lines.push_back((r.input ? "in " : "out ") + r.frame + " " + std::to_string(r.offset) + "+" +
                        std::to_string(r.length) + " " + std::to_string(r.firstModule) + "-" + std::to_string(r.lastModule));
    lines.push_back("in " + std::to_string(map.inputBytes) + " out " + std::to_string(map.outputBytes));
    return lines;
}

TEST(IoMap, WorkedExampleInBothModuleModes) {
    OutputProject project("worked_example");
    EXPECT_EQ(Checked(project), (std::vector<std::string>{"in R1 0+8 1-1", "in R2 8+20 1-1", "out S1 0+8 2-2", "in 28 out 8"}));
    const auto second = BuildIoMap(project.context()).ranges[1];
    EXPECT_EQ(std::make_tuple(second.dataPage, second.pgn, second.sourceAddress, second.mnemonic),
              std::make_tuple(0, 0xFECA, 3, std::string("Active diagnostic trouble codes")));

    // One module per frame with send bits: R1, R2, input bits, S1, output bits, in GSD order.
    project.WritePargen("1", "1");
    EXPECT_EQ(Checked(project), (std::vector<std::string>{"in R1 0+8 1-1", "in R2 8+20 2-2", "in BITS 28+1 3-3",
                                                         "out S1 0+8 4-4", "out BITS 8+1 5-5", "in 29 out 9"}));
}

TEST(IoMap, FramesAcrossPackedModulesAndSendBitsAtTheEnd) {
    OutputProject project;
    project.WritePargen("0", "1");
    project.WriteReceive(OutputProject::NormalRows(7, {OutputProject::Transport("20")}));  // 56 + 20 bytes
    project.WriteSend(9);
    const auto lines = Checked(project);
    ASSERT_EQ(lines.size(), 8u + 1 + 9 + 1 + 1);
    EXPECT_EQ(lines[7], "in R8 56+20 1-2");
    EXPECT_EQ(lines[8], "in BITS 76+2 2-2");
    EXPECT_EQ(lines[18], "out BITS 72+2 4-4");  // output modules 3 (64 bytes) and 4 (10 bytes)
    EXPECT_EQ(lines[19], "in 78 out 74");
}

TEST(IoMap, TextAndCsv) {
    OutputProject project("worked_example");
    IoMap map = BuildIoMap(project.context());
    const std::string text = IoMapText(map);
    for (const char* part : {"Modules: packed modules of up to 64 bytes; send bits: off", "PROFIBUS input data (28 bytes)",
                             "  8       20      1       1     R2     0   0xFECA  3   Active diagnostic trouble codes\n"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;

    map.ranges[0].mnemonic = "two\nlines\x1b[2J";  // a table line stays one line, escapes never reach a terminal
    EXPECT_NE(IoMapText(map).find(" two lines [2J\n"), std::string::npos) << IoMapText(map);

    map.ranges[0].mnemonic = "speed, \"km/h\"";
    const std::string csv = IoMapCsv(map);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "area,offset,length,first_module,last_module,first_slot,last_slot,frame,data_page,pgn,source_address,"
              "mnemonic");
    EXPECT_NE(csv.find("\r\ninput,0,8,1,1,1,1,R1,0,0xFEF1,0,\"speed, \"\"km/h\"\"\"\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\noutput,0,8,2,2,2,2,S1,0,0xFF00,128,Gateway command\r\n"), std::string::npos) << csv;
    EXPECT_NE(IoMapText(BuildIoMap(OutputProject().context())).find("(none)"), std::string::npos);
}

}  // namespace
}  // namespace kestrova::testing
