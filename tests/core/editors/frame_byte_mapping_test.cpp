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

std::string Targets8(const std::string& b1, const std::string& rest = "255") {
    std::string row = "<row B1=\"" + b1 + "\"";
    for (int byte = 2; byte <= 8; ++byte) row += " B" + std::to_string(byte) + "=\"" + rest + "\"";
    return row + "/>";
}

FrameBytes Frame(const std::string& name, Targets targets, uint8_t length = 8) { return {name, length, targets}; }

struct MappingProject {
    TempDir dir;
    std::string frames = dir / "Receive_Frame.xml";
    std::string mapping = dir / "Receive_Info.xml";
    std::vector<FrameBytes> Load() const { return LoadFrameBytes(ReceiveFrameMapping(), frames, mapping); }
};

TEST(FrameBytesLoad, RowNOfTheMappingBelongsToFrameNWhateverTheCounts) {
    MappingProject project;
    WriteText(project.frames, "<F>" + Row("A", "8") + Row("B", "8") + "</F>");
    WriteText(project.mapping, "<M>" + Targets8("4") + "</M>");
    auto frames = project.Load();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].targets, (Targets{4, N, N, N, N, N, N, N}));
    EXPECT_EQ(frames[1].targets, (Targets{N, N, N, N, N, N, N, N})) << "a frame without a row starts as none";

    WriteText(project.mapping, "<M>" + Targets8("1") + Targets8("2") + Targets8("3") + "</M>");
    frames = project.Load();
    ASSERT_EQ(frames.size(), 2u) << "rows beyond the frames are dropped";
    EXPECT_EQ(frames[1].targets[0], 2);

    WriteText(project.frames, "<F/>");
    EXPECT_TRUE(project.Load().empty());
    std::filesystem::remove(project.frames);
    EXPECT_TRUE(project.Load().empty());
}

TEST(FrameBytesLoad, OnlyBytesWithinTheDataLengthAreReadTheOthersAreNone) {
    MappingProject project;
    WriteText(project.frames, "<F>" + Row("zero", "0") + Row("three", " 3") + Row("eight", "$8") + "</F>");
    // Bytes beyond a frame's length need no attribute and their text is ignored.
    WriteText(project.mapping,
              "<M><row/><row B1=\"0\" B2=\"0x10\" B3=\"127\" B4=\"junk\"/>" + Targets8("9", "100") + "</M>");
    const auto frames = project.Load();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].dataLength, 0);
    EXPECT_FALSE(frames[0].InUse(1));
    EXPECT_EQ(frames[0].targets, (Targets{N, N, N, N, N, N, N, N}));
    EXPECT_TRUE(frames[1].InUse(3));
    EXPECT_FALSE(frames[1].InUse(4));
    EXPECT_EQ(frames[1].targets, (Targets{0, 16, 127, N, N, N, N, N}));
    EXPECT_EQ(frames[2].targets, (Targets{9, 100, 100, 100, 100, 100, 100, 100}));
}

TEST(FrameBytesLoad, ALoadThatCannotFinishIsRefusedWithItsReason) {
    MappingProject project;
    const struct {
        std::string frames, mapping, message;
    } cases[] = {
        {Row("A", "8h"), "", "'8h' is not a valid integer value: attribute 'Dim' of row 1 of " + project.frames + "."},
        {Row("A", "2"), "<row B1=\"1\"/>", "The attribute 'B2' is missing in row 1 of " + project.mapping + "."},
        {Row("A", "1"), "<row B1=\"1 \"/>",
         "'1 ' is not a valid integer value: attribute 'B1' of row 1 of " + project.mapping + "."},
        {Row("A", "8") + Row("B", "1"), Targets8("1") + Targets8("128"),
         "Byte 1 of COB ID B goes to position 128 in row 2 of " + project.mapping +
             ": a position must be between 0 and 127, or 255 for none."},
        {Row("A", "1"), Targets8("-1"),
         "Byte 1 of COB ID A goes to position -1 in row 1 of " + project.mapping +
             ": a position must be between 0 and 127, or 255 for none."},
    };
    for (const auto& c : cases) {
        WriteText(project.frames, "<F>" + c.frames + "</F>");
        WriteText(project.mapping, "<M>" + c.mapping + "</M>");
        EXPECT_EQ(ErrorText([&] { project.Load(); }), c.message);
    }
    WriteText(project.mapping, "<M><row");
    EXPECT_NE(ErrorText([&] { project.Load(); }).find("is not valid XML"), std::string::npos);
}

TEST(FrameBytesLoad, FrameListsWrittenByTheFrameEditorsGiveNamesAndLengths) {
    TempDir dir;
    using namespace receive_column;
    auto received = TableOf(ReceiveFramesLayout(), {{"0", "0xFEF1", "0", "N", "", "", "N", "N", "", "CCVS"},
                                                    {"1", "65226", "", "Y", "3", "5", "N", "N", "", ""},
                                                    {"0", "$FECA", "17", "Y", "1", "20", "N", "N", "", " "}});
    SaveReceiveFrames(dir / "Receive_Frame.xml", received);
    const auto frames = LoadFrameBytes(ReceiveFrameMapping(), dir / "Receive_Frame.xml", dir / "Receive_Info.xml");
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].name, "CCVS");
    EXPECT_EQ(frames[0].dataLength, 8);
    EXPECT_EQ(frames[1].name, "1 0xFECA");
    EXPECT_EQ(frames[1].dataLength, 5);
    EXPECT_EQ(frames[2].name, "0 0xFECA 17");
    EXPECT_EQ(frames[2].dataLength, 8);

    SaveSendFrames(dir / "Send_Frame.xml", TableOf(SendFramesLayout(), {{"6", "0", "61444", "3", "Data Change", ""}}));
    const auto sent = LoadFrameBytes(SendFrameMapping(), dir / "Send_Frame.xml", dir / "Send_Info.xml");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].name, "0 0xF004 3");
    EXPECT_EQ(sent[0].dataLength, 8);
}

TEST(FrameBytesLoad, IdentityPartsThatAreNotIntegersAreShownAsTheyStand) {
    EXPECT_EQ(FrameName("", "0", "61444", "0"), "0 0xF004 0");
    EXPECT_EQ(FrameName("", " 1", "bad", ""), "1 bad");
    EXPECT_EQ(FrameName("EEC1", "0", "0", "0"), "EEC1");
    EXPECT_EQ(FrameDataLength(true, 0), 0);
    EXPECT_EQ(FrameDataLength(true, -4), 0);
    EXPECT_EQ(FrameDataLength(true, 244), 8);
}

TEST(ByteField, NoneBlanksAndPositionsFrom0To127AreTakenEverythingElseRefused) {
    const struct {
        const char* text;
        std::optional<uint8_t> target;
    } cases[] = {
        {"None", N},  {"NONE", N}, {" nOnE ", N},  {"", N},       {"   ", N},          {"0", 0},
        {"127", 127}, {"5 ", 5},   {" 0x7F", 127}, {"128", {}},   {"-1", {}},          {"255", {}},
        {"n", {}},    {"no", {}},  {"5x", {}},     {"nonE5", {}}, {"99999999999", {}},
    };
    for (const auto& c : cases) {
        const auto reading = ReadByteField(c.text, 1);
        EXPECT_EQ(reading.target, c.target) << '"' << c.text << '"';
        EXPECT_EQ(reading.refusal.empty(), c.target.has_value()) << '"' << c.text << '"';
    }
    EXPECT_EQ(ReadByteField("128", 1).refusal, "Error Byte 1!! Value have to be between 0 to 127 or none. ");
    EXPECT_EQ(ReadByteField("x", 8).refusal, "Error Byte 8!! Value have to be between 0 to 127 or none. ");
}

TEST(Collisions, TheSecondUserOfAPositionIsNamedFirst) {
    const std::vector<FrameBytes> frames = {Frame("A", {5, N, N, N, N, N, N, N}), Frame("B", {0, 1, 5, N, N, N, N, N})};
    EXPECT_EQ(CheckPositionCollisions(frames),
              "Error!! The Byte 5 is used in COB ID B in Byte 3 and in COB ID A in Byte 1 ");
    EXPECT_EQ(CheckPositionCollisions({Frame("C", {N, 127, N, N, N, N, 127, 9})}),
              "Error!! The Byte 127 is used in COB ID C in Byte 7 and in COB ID C in Byte 2 ");
    EXPECT_EQ(CheckPositionCollisions({Frame("A", {7, 3, N, N, N, N, N, N}), Frame("B", {3, 7, N, N, N, N, N, N})}),
              "Error!! The Byte 3 is used in COB ID B in Byte 1 and in COB ID A in Byte 2 ")
        << "only the first collision, in list order";
    EXPECT_FALSE(
        CheckPositionCollisions({Frame("A", {0, 127, N, N, N, N, N, N}), Frame("B", {1, N, N, N, N, N, N, N})}));
    EXPECT_FALSE(CheckPositionCollisions({}));
}

TEST(FrameBytesSave, EveryFrameGetsAllEightTargetsInOrder) {
    TempDir dir;
    const auto path = dir / "Info.xml";
    SaveFrameBytes(ReceiveFrameMapping(), path,
                   {Frame("A", {0, 127, 5, N, N, N, N, N}, 3), Frame("B", {N, N, N, N, N, N, N, 9})});
    EXPECT_EQ(ReadText(path),
              "<Receive_Frames_Info>"
              "<row B1=\"0\" B2=\"127\" B3=\"5\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"255\"/>"
              "<row B1=\"255\" B2=\"255\" B3=\"255\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"9\"/>"
              "</Receive_Frames_Info>");
    SaveFrameBytes(SendFrameMapping(), path, {Frame("short", {1, 2, 3, 4, 5, 6, 7, 8}, 2)});
    EXPECT_EQ(ReadText(path),
              "<Send_Frames_Info>"
              "<row B1=\"1\" B2=\"2\" B3=\"255\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"255\"/>"
              "</Send_Frames_Info>")
        << "bytes not in use are always none";
    SaveFrameBytes(SendFrameMapping(), path, {});
    EXPECT_EQ(ReadText(path), "<Send_Frames_Info/>");
}

}  // namespace
}  // namespace kestrova
