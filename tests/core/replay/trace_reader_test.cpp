#include "core/replay/trace_reader.h"

#include <gtest/gtest.h>

#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova::testing {
namespace {

// One line of any format, read on its own (ASC lines after "base hex  timestamps absolute").
struct Read {
    uint32_t identifier = 0;
    std::vector<uint8_t> data;
    std::string time, problem{};
    TraceLineKind kind = TraceLineKind::Blank;
    SkipKind skip = SkipKind::Header;
};

Read ReadOne(const std::string& line, TraceReaderState state = {}) {
    TraceLine out;
    ReadTraceLine(line, state, out);
    const auto& f = out.frame;
    return {f.identifier, {f.data, f.data + f.length}, std::string(out.timeText), out.problem, out.kind, out.skip};
}

TEST(TraceReader, FramesOfEveryFormat) {
    const std::vector<uint8_t> eight{1, 2, 3, 4, 5, 6, 7, 8};
    const std::pair<const char*, Read> cases[] = {
        {"(1436509052.249713) can0 18FEF100#0102030405060708", {0x18FEF100, eight, "1436509052.249713"}},
        {"(12.123456789123) can0 0CF00400#", {0x0CF00400, {}, "12.123456789123"}},
        {"(1.0) can0 18FEF100#01.02.03", {0x18FEF100, {1, 2, 3}, "1.0"}},
        {"(1.0) can0 18FEF100#0102030405060708_9", {0x18FEF100, eight, "1.0"}},
        {"(1.0) can0 18FEF100#0102 R", {0x18FEF100, {1, 2}, "1.0"}},
        {"  can0  18FEF100   [8]  01 02 03 04 05 06 07 08", {0x18FEF100, eight, ""}},
        {" (000.005001)  can0  18FEDF00   [8]  01 02 03 04 05 06 07 08", {0x18FEDF00, eight, "000.005001"}},
        {" (1436509052.249713)  can0  18FEDF00   [2]  8A A0   '..'", {0x18FEDF00, {0x8A, 0xA0}, "1436509052.249713"}},
        {"  can0  18FEDF00   [0]", {0x18FEDF00, {}, ""}},
        {"   0.010000 1  18FEF100x       Rx   d 8 01 02 03 04 05 06 07 08", {0x18FEF100, eight, "0.010000"}},
        {"1.5 2 CF00400x Tx d 2 0a FF", {0x0CF00400, {0x0A, 0xFF}, "1.5"}},
        {"   2.000000 1  18FEF100x       Rx   d 8 01 02 03 04 05 06 07 08  Length = 280000 BitCount = 145 "
         "ID = 419361024x",
         {0x18FEF100, eight, "2.000000"}},
    };
    for (const auto& [line, want] : cases) {
        const Read read = ReadOne(line);
        EXPECT_EQ(read.kind, TraceLineKind::Frame) << line;
        EXPECT_EQ(read.identifier, want.identifier) << line;
        EXPECT_EQ(read.data, want.data) << line;
        EXPECT_EQ(read.time, want.time) << line;
    }
}

TEST(TraceReader, LinesCountedByKindAndNotReplayed) {
    const std::pair<const char*, SkipKind> cases[] = {
        {"(1.0) can0 123#0102", SkipKind::StandardFrame},
        {"  can0  7FF   [1]  01", SkipKind::StandardFrame},
        {"1.0 1 123 Rx d 1 01", SkipKind::StandardFrame},
        {"(1.0) can0 18FEF100#R", SkipKind::RemoteFrame},
        {"  can0  18FEF100   [8]  remote request", SkipKind::RemoteFrame},
        {"1.0 1 18FEF100x Rx r 8", SkipKind::RemoteFrame},
        {"(1.0) can0 20000004#0000000000000000", SkipKind::ErrorFrame},
        {"  can0  20000080   [8]  00 00 00 00 00 00 00 00   ERRORFRAME", SkipKind::ErrorFrame},
        {"   1.000000 1  ErrorFrame", SkipKind::ErrorFrame},
        {"(1.0) can0 1AFEF100#01", SkipKind::ExtendedDataPage},
        {"(1.0) can0 18FEF100##1AABBCCDDEEFF00112233", SkipKind::CanFdFrame},
        {"  can0  18FEF100  [12]  01 02 03 04 05 06 07 08 09 0A 0B 0C", SkipKind::CanFdFrame},
        {"   1.0 CANFD   1 Rx 18FEF100x  1 0 d 12 01 02 03 04 05 06 07 08 09 0A 0B 0C", SkipKind::CanFdFrame},
        {"date Wed Dec 9 08:00:00 pm 2026", SkipKind::Header},
        {"base hex  timestamps absolute", SkipKind::Header},
        {"no internal events logged", SkipKind::Header},
        {"Begin Triggerblock Wed Dec 9 08:00:00 pm 2026", SkipKind::Header},
        {"   0.000000 Start of measurement", SkipKind::Header},
        {"// version 9.0.0", SkipKind::Comment},
        {"   0.5 1  Statistic: D 1 R 0 XD 0 XR 0 E 0 O 0 B 0.14%", SkipKind::Status},
        {"   0.0 CAN 1 Status:chip status error active", SkipKind::Status},
        {"   1.0 J1939TP FEE3p 6 0 0 - Rx d 23 01 02 03", SkipKind::J1939Tp},
    };
    for (const auto& [line, kind] : cases) {
        const Read read = ReadOne(line);
        EXPECT_EQ(read.kind, TraceLineKind::Skipped) << line;
        EXPECT_EQ(read.skip, kind) << line << " " << SkipKindText(read.skip);
    }
}

TEST(TraceReader, MalformedFrameLines) {
    for (const char* line :
         {"(1.0) can0 18FEF1#01", "(1.0 can0 18FEF100#01", "(1.x) can0 18FEF100#01", "(1.0) can0 18FEF100#010",
          "(1.0) can0 18FEF100#010203040506070809", "(1.0) can0 C0000000#01", "(1.0) can0",
          "(99999999999.0) can0 18FEF100#01", "  can0  18FEF100   [8]  01 02", "  can0  18FEF100   8  01",
          "hello world", "1.0 1 18FEF100x Rx d 8 01", "1.0 1 18FEF100x Rx d 9 01 02 03 04 05 06 07 08 09",
          "1.0 1 2FEF1000x Rx d 1 01", "1.0 1 18FEF100x Rx", "1.0 x", "1.0"}) {
        const Read read = ReadOne(line);
        EXPECT_EQ(read.kind, TraceLineKind::Malformed) << line;
        EXPECT_FALSE(read.problem.empty()) << line;
    }
    EXPECT_EQ(ReadOne("   \t ").kind, TraceLineKind::Blank);
}

TEST(TraceReader, AscHeaderSetsRelativeTimesAndDecimalNumbers) {
    TraceReaderState state;
    TraceLine line;
    ReadTraceLine("base dec  timestamps relative", state, line);
    ReadTraceLine("0.5 1 419361024x Rx d 2 1 255", state, line);
    EXPECT_EQ(line.kind, TraceLineKind::Frame);
    EXPECT_EQ(line.frame.identifier, 0x18FEF100u);
    EXPECT_EQ(line.frame.data[1], 0xFF);
    EXPECT_EQ(line.timeNs, 500000000);
    ReadTraceLine("0.25 1 Statistic: D 1", state, line);
    ReadTraceLine("0.25 1 419361024x Rx d 0", state, line);
    EXPECT_EQ(line.timeNs, 1000000000);
    EXPECT_EQ(line.timeText, "0.25");
}

std::vector<std::string> AllLines(TraceLines& lines) {
    std::vector<std::string> all;
    std::string_view line;
    while (lines.Next(line)) all.push_back(std::string(line) + (lines.Overlong() ? " (overlong)" : ""));
    return all;
}

// Line ends, an overlong line cut to its first bytes, and a file larger than one read block.
TEST(TraceLines, SameLinesFromMemoryAndFile) {
    std::string text = "one\r\ntwo\n\n" + std::string(3 * kMaxTraceLineBytes, 'x') + "\n";
    for (int i = 0; i < 40000; ++i) text += "(" + std::to_string(i) + ".000000) can0 18FEF100#0102030405060708\n";
    TraceLines memory{std::string_view(text += "three")};
    const auto lines = AllLines(memory);
    ASSERT_EQ(lines.size(), 40005u);
    EXPECT_EQ(lines[0], "one");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], std::string(kMaxTraceLineBytes, 'x') + " (overlong)");
    EXPECT_EQ(lines[40003], "(39999.000000) can0 18FEF100#0102030405060708");
    EXPECT_EQ(memory.LineNumber(), 40005u);
    TempDir dir;
    WriteText(dir / "trace.log", text);
    TraceLines file(dir / "trace.log");
    EXPECT_EQ(AllLines(file), lines);
}

TEST(TraceLines, FileThatCannotBeOpened) {
    TempDir dir;
    EXPECT_EQ(ErrorText([&] { TraceLines lines(dir / "missing.log"); }),
              "Cannot open file " + (dir / "missing.log") + ": No such file or directory");
    EXPECT_EQ(ErrorText([&] { TraceLines lines(dir.path()); }), "Cannot open file " + dir.path() + ": Is a directory");
}

}  // namespace
}  // namespace kestrova::testing
