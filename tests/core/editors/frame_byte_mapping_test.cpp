#include "core/editors/frame_byte_mapping.h"

#include <gtest/gtest.h>

#include "core/editors/receive_frames.h"
#include "core/editors/send_frames.h"
#include "editor_test_support.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TableOf;
using testing::TempDir;
using testing::WriteText;
using Targets = std::array<uint8_t, kFrameDataByteCount>;

constexpr uint8_t N = kNoPosition;

std::string Row(const std::string& cobId, const std::string& dim) {
    return "<row COBID=\"" + cobId + "\" Dim=\"" + dim + "\"/>";
}

// B1 as given, B2 to B8 all `rest`.
std::string Targets8(const std::string& b1, const std::string& rest = "255") {
    std::string row = "<row B1=\"" + b1 + "\"";
    for (int byte = 2; byte <= 8; ++byte) row += " B" + std::to_string(byte) + "=\"" + rest + "\"";
    return row + "/>";
}

FrameBytes Frame(const std::string& name, Targets targets, uint8_t length = 8) { return {name, length, targets}; }

struct MappingProject {
    TempDir dir;
    std::string frames = dir / "Receive_Frame.xml", mapping = dir / "Receive_Info.xml";
    std::vector<FrameBytes> Load(const std::string& frameRows, const std::string& mappingRows) const {
        WriteText(frames, "<F>" + frameRows + "</F>");
        WriteText(mapping, "<M>" + mappingRows + "</M>");
        return LoadFrameBytes(ReceiveFrameMapping(), frames, mapping);
    }
};

TEST(FrameBytesLoad, RowNBelongsToFrameNAndOnlyBytesInUseAreRead) {
    MappingProject project;
    // fewer rows than frames: the frame without a row is none throughout
    auto frames = project.Load(Row("A", "8") + Row("B", "8"), Targets8("4"));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].targets, (Targets{4, N, N, N, N, N, N, N}));
    EXPECT_EQ(frames[1].targets, (Targets{N, N, N, N, N, N, N, N}));
    // more rows than frames: dropped; bytes beyond the data length need no attribute and are none
    frames =
        project.Load(Row("zero", "0") + Row("three", " 3") + Row("eight", "$8"),
                     "<row/><row B1=\"0\" B2=\"0x10\" B3=\"127\" B4=\"junk\"/>" + Targets8("9", "100") + Targets8("1"));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_FALSE(frames[0].InUse(1));
    EXPECT_EQ(frames[0].targets, (Targets{N, N, N, N, N, N, N, N}));
    EXPECT_TRUE(frames[1].InUse(3) && !frames[1].InUse(4));
    EXPECT_EQ(frames[1].targets, (Targets{0, 16, 127, N, N, N, N, N}));
    EXPECT_EQ(frames[2].targets, (Targets{9, 100, 100, 100, 100, 100, 100, 100}));
    EXPECT_TRUE(project.Load("", Targets8("1")).empty());
}

TEST(FrameBytesLoad, ALoadThatCannotFinishIsRefusedWithItsReason) {
    MappingProject project;
    const std::string range = ": a position must be between 0 and 127, or 255 for none.";
    const struct {
        std::string frames, mapping, message;
    } cases[] = {
        {Row("A", "8h"), "", "'8h' is not a valid integer value: attribute 'Dim' of row 1 of " + project.frames + "."},
        {Row("A", "2"), "<row B1=\"1\"/>", "The attribute 'B2' is missing in row 1 of " + project.mapping + "."},
        {Row("A", "8") + Row("B", "1"), Targets8("1") + Targets8("128"),
         "Byte 1 of COB ID B goes to position 128 in row 2 of " + project.mapping + range},
        {Row("A", "1"), Targets8("-1"),
         "Byte 1 of COB ID A goes to position -1 in row 1 of " + project.mapping + range},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorText([&] { project.Load(c.frames, c.mapping); }), c.message);
}

TEST(FrameBytesLoad, FrameListsWrittenByTheFrameEditorsGiveNamesAndLengths) {
    TempDir dir;
    SaveReceiveFrames(dir / "R.xml",
                      TableOf(ReceiveFramesLayout(), {{"0", "$FEF1", "0", "N", "", "", "", "", "", "CCVS"},
                                                      {"1", "65226", "", "Y", "3", "5", "", "", "", " "}}));
    SaveSendFrames(dir / "S.xml", TableOf(SendFramesLayout(), {{"6", "0", "61444", "bad", "Data Change", ""}}));
    const auto received = LoadFrameBytes(ReceiveFrameMapping(), dir / "R.xml", dir / "none.xml");
    const auto sent = LoadFrameBytes(SendFrameMapping(), dir / "S.xml", dir / "none.xml");
    ASSERT_TRUE(received.size() == 2 && sent.size() == 1);
    EXPECT_EQ(std::make_pair(received[0].name, int(received[0].dataLength)), std::make_pair(std::string("CCVS"), 8));
    EXPECT_EQ(std::make_pair(received[1].name, int(received[1].dataLength)),
              std::make_pair(std::string("1 0xFECA"), 5));
    EXPECT_EQ(std::make_pair(sent[0].name, int(sent[0].dataLength)), std::make_pair(std::string("0 0xF004 bad"), 8));
}

TEST(ByteField, NoneBlanksAndPositionsFrom0To127AreTakenEverythingElseRefused) {
    const std::pair<const char*, std::optional<uint8_t>> cases[] = {
        {"None", N},   {" nOnE ", N}, {"", N},    {"   ", N},  {"0", 0},  {"127", 127},  {"5 ", 5},
        {"0x7F", 127}, {"128", {}},   {"-1", {}}, {"255", {}}, {"n", {}}, {"nonE5", {}}, {"99999999999", {}},
    };
    for (const auto& [text, target] : cases) {
        const auto reading = ReadByteField(text, 1);
        EXPECT_EQ(reading.target, target) << '"' << text << '"';
        EXPECT_EQ(reading.refusal.empty(), target.has_value()) << '"' << text << '"';
    }
    EXPECT_EQ(ReadByteField("x", 8).refusal, "Error Byte 8!! Value have to be between 0 to 127 or none. ");
}

TEST(Collisions, TheSecondUserOfAPositionIsNamedFirstAndOnlyTheFirstCollision) {
    const FrameBytes a = Frame("A", {5, N, N, N, N, N, N, N}), b = Frame("B", {0, 1, 5, 0, N, N, N, N});
    EXPECT_EQ(CheckPositionCollisions({a, b}),
              "Error!! The Byte 5 is used in COB ID B in Byte 3 and in COB ID A in Byte 1 ");
    EXPECT_EQ(CheckPositionCollisions({Frame("C", {N, 127, N, N, N, N, 127, 9})}),
              "Error!! The Byte 127 is used in COB ID C in Byte 7 and in COB ID C in Byte 2 ");
    EXPECT_FALSE(
        CheckPositionCollisions({Frame("A", {0, 127, N, N, N, N, N, N}), Frame("B", {1, N, N, N, N, N, N, N})}));
}

TEST(FrameBytesSave, EveryFrameGetsAllEightTargetsBytesNotInUseNone) {
    TempDir dir;
    SaveFrameBytes(SendFrameMapping(), dir / "S.xml", {Frame("A", {0, 127, 5, 4, N, N, N, 9}, 3)});
    EXPECT_EQ(ReadText(dir / "S.xml"),
              "<Send_Frames_Info><row B1=\"0\" B2=\"127\" B3=\"5\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" "
              "B8=\"255\"/></Send_Frames_Info>");
    SaveFrameBytes(ReceiveFrameMapping(), dir / "S.xml", {});
    EXPECT_EQ(ReadText(dir / "S.xml"), "<Receive_Frames_Info/>");
}

}  // namespace
}  // namespace kestrova
