#include "core/outputs/io_map.h"

#include "core/outputs/bank_image.h"
#include "output_fixture.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

using testing::OutputProject;

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

TEST(IoMap, WorkedExamplePacked) {
    OutputProject project("worked_example");
    const IoMap map = BuildIoMap(project.context());
    ExpectAgreesWithImageAndGsd(project, map);
    ASSERT_EQ(map.ranges.size(), 3u);
    EXPECT_EQ(map.inputBytes, 28);
    EXPECT_EQ(map.outputBytes, 8);
    const auto& second = map.ranges[1];
    EXPECT_EQ(second.frame, "R2");
    EXPECT_EQ(second.offset, 8);
    EXPECT_EQ(second.length, 20);
    EXPECT_EQ(second.pgn, 0xFECA);
    EXPECT_EQ(second.sourceAddress, 3);
    EXPECT_EQ(second.firstModule, 1);
    EXPECT_EQ(second.lastModule, 1);
    const auto& send = map.ranges[2];
    EXPECT_FALSE(send.input);
    EXPECT_EQ(send.frame, "S1");
    EXPECT_EQ(send.offset, 0);
    EXPECT_EQ(send.firstModule, 2);
    EXPECT_EQ(send.mnemonic, "Gateway command");
}

TEST(IoMap, WorkedExamplePerFrameWithSendBits) {
    OutputProject project("worked_example");
    project.WritePargen("1", "1");
    project.WriteReceive({OutputProject::Normal(), OutputProject::Transport("20")});
    const IoMap map = BuildIoMap(project.context());
    ExpectAgreesWithImageAndGsd(project, map);
    // R1, R2, input bits, S1, output bits: each in a module of its own, in GSD order.
    ASSERT_EQ(map.ranges.size(), 5u);
    const std::vector<std::string> frames{"R1", "R2", "BITS", "S1", "BITS"};
    const std::vector<int> offsets{0, 8, 28, 0, 8};
    for (size_t i = 0; i < map.ranges.size(); ++i) {
        EXPECT_EQ(map.ranges[i].frame, frames[i]);
        EXPECT_EQ(map.ranges[i].offset, offsets[i]);
        EXPECT_EQ(map.ranges[i].firstModule, static_cast<int>(i) + 1);
        EXPECT_EQ(map.ranges[i].lastModule, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(map.ranges[2].length, 1);
    EXPECT_EQ(map.inputBytes, 29);
    EXPECT_EQ(map.outputBytes, 9);
}

TEST(IoMap, FramesAcrossPackedModulesAndSendBitsAtTheEnd) {
    OutputProject project;
    project.WritePargen("0", "1");
    auto rows = OutputProject::NormalRows(7);  // 56 bytes
    rows.push_back(OutputProject::Transport("20"));  // bytes 56 to 75
    project.WriteReceive(rows);
    project.WriteSend(9);
    const IoMap map = BuildIoMap(project.context());
    ExpectAgreesWithImageAndGsd(project, map);
    EXPECT_EQ(map.ranges[7].firstModule, 1);
    EXPECT_EQ(map.ranges[7].lastModule, 2);
    EXPECT_EQ(map.ranges[8].frame, "BITS");
    EXPECT_EQ(map.ranges[8].offset, 76);
    EXPECT_EQ(map.ranges[8].length, 2);
    EXPECT_EQ(map.ranges[8].firstModule, 2);
    EXPECT_EQ(map.ranges.back().frame, "BITS");
    EXPECT_EQ(map.ranges.back().offset, 72);
    EXPECT_EQ(map.ranges.back().firstModule, 4);  // output modules 3 (64 bytes) and 4 (10 bytes)
    EXPECT_EQ(map.inputBytes, 78);
}

TEST(IoMap, TextAndCsv) {
    OutputProject project("worked_example");
    const IoMap map = BuildIoMap(project.context());
    const std::string text = IoMapText(map);
    EXPECT_NE(text.find("Modules: packed modules of up to 64 bytes; send bits: off"), std::string::npos) << text;
    EXPECT_NE(text.find("PROFIBUS input data (28 bytes)"), std::string::npos) << text;
    EXPECT_NE(text.find("  8       20      1       1     R2     0   0xFECA  3   Active diagnostic trouble codes\n"),
              std::string::npos)
        << text;

    IoMap quoted = map;
    quoted.ranges[0].mnemonic = "speed, \"km/h\"";
    const std::string csv = IoMapCsv(quoted);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "area,offset,length,first_module,last_module,first_slot,last_slot,frame,data_page,pgn,source_address,"
              "mnemonic");
    EXPECT_NE(csv.find("\r\ninput,0,8,1,1,1,1,R1,0,0xFEF1,0,\"speed, \"\"km/h\"\"\"\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\noutput,0,8,2,2,2,2,S1,0,0xFF00,128,Gateway command\r\n"), std::string::npos) << csv;
}

TEST(IoMap, EmptyProject) {
    OutputProject project;
    const IoMap map = BuildIoMap(project.context());
    EXPECT_TRUE(map.ranges.empty());
    EXPECT_NE(IoMapText(map).find("(none)"), std::string::npos);
}

}  // namespace
}  // namespace kestrova
