#include "core/replay/trace_replay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "core/outputs/bank_image.h"
#include "core/outputs/io_map.h"
#include "core/outputs/output_fixture.h"
#include "core/outputs/project_limits.h"

namespace kestrova::testing {
namespace {

uint32_t Id(int dataPage, int format, int specific, int source, int priority = 6) {
    return static_cast<uint32_t>(priority << 26 | dataPage << 24 | format << 16 | specific << 8 | source);
}
// A message whose byte k (from 1) is k.
std::vector<uint8_t> Counting(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
    return bytes;
}

constexpr uint32_t kDm1 = 0xFECA;   // broadcast from 3, bytes 3 to 12 taken (row 5)
constexpr uint32_t kSoft = 0xFEDA;  // request to send from 0x11 to 0x00, bytes 1 to 20 (row 7)

// Writes J1939 traffic as a candump -l log, each frame 10 ms after the one before unless At() sets
// the time.
struct Trace {
    std::string text;
    double time = 1.0;

    Trace& At(double seconds) {
        time = seconds;
        return *this;
    }
    Trace& Frame(uint32_t identifier, const std::vector<uint8_t>& data) {
        char head[64];
        std::snprintf(head, sizeof head, "(%.6f) can0 %08X#", time, identifier);
        text += head;
        char hex[3];
        for (const uint8_t byte : data) text.append(hex, std::snprintf(hex, sizeof hex, "%02X", byte));
        text += "\n";
        time += 0.010;
        return *this;
    }
    // Connection management (PDU format 0xEC) from `from` to `to`: control byte, four bytes, PGN.
    Trace& Management(int from, int to, std::vector<uint8_t> data, uint32_t packedPgn) {
        for (int shift = 0; shift < 24; shift += 8) data.push_back(static_cast<uint8_t>(packedPgn >> shift));
        return Frame(Id(0, 0xEC, to, from, 7), data);
    }
    Trace& Announce(int control, int from, int to, uint32_t packedPgn, size_t size) {
        const auto packets = static_cast<uint8_t>((size + 6) / 7);
        return Management(from, to, {uint8_t(control), uint8_t(size), uint8_t(size >> 8), packets, 0xFF}, packedPgn);
    }
    // Data transfer (PDU format 0xEB): packet `sequence` of `message`, padded with 0xFF.
    Trace& Dt(int source, int destination, int sequence, const std::vector<uint8_t>& message) {
        std::vector<uint8_t> data{static_cast<uint8_t>(sequence)};
        for (size_t i = 0; i < 7; ++i) {
            const size_t at = static_cast<size_t>(sequence - 1) * 7 + i;
            data.push_back(at < message.size() ? message[at] : 0xFF);
        }
        return Frame(Id(0, 0xEB, destination, source, 7), data);
    }
    // Steps of 20-byte sessions: "@t" sets the time; BAM, b<n> (packet n) and XB (abort) for the
    // broadcast of DM1 from 3 (":4" for source 4); RTS, CTS<count>[/<next>], p<n>, w<n> (packet n of
    // wrong bytes), ACK and XR (abort by the receiver) for the request to send from 0x11 to 0.
    Trace& Steps(const std::string& steps) {
        const auto message = Counting(20), wrong = std::vector<uint8_t>(20, 0xEE);
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            const size_t colon = step.find(':'), slash = step.find('/');
            const int source = colon == std::string::npos ? 3 : std::stoi(step.substr(colon + 1));
            const auto number = [&](size_t at) { return std::stoi(step.substr(at)); };
            const int next = slash == std::string::npos ? 1 : number(slash + 1);
            if (step[0] == '@') At(std::stod(step.substr(1)));
            if (step.rfind("BAM", 0) == 0) Announce(32, source, 255, kDm1, 20);
            if (step[0] == 'b') Dt(source, 255, number(1), message);
            if (step == "XB") Management(3, 255, {255, 3, 0xFF, 0xFF, 0xFF}, kDm1);
            if (step == "RTS") Announce(16, 0x11, 0, kSoft, 20);
            if (step.rfind("CTS", 0) == 0)
                Management(0, 0x11, {17, uint8_t(number(3)), uint8_t(next), 0xFF, 0xFF}, kSoft);
            if (step[0] == 'p' || step[0] == 'w') Dt(0x11, 0, number(1), step[0] == 'p' ? message : wrong);
            if (step == "ACK") Announce(19, 0, 0x11, kSoft, 20);
            if (step == "XR") Management(0, 0x11, {255, 3, 0xFF, 0xFF, 0xFF}, kSoft);
        }
        return *this;
    }
};

std::string Row(int dataPage, const std::string& pgn, int sa, const std::string& mnemonic, int start = 0,
                int count = 0) {
    const std::string tp = count > 0
                               ? "Y\" TP_Start=\"" + std::to_string(start) + "\" TP_NByte=\"" + std::to_string(count)
                               : "N\" TP_Start=\"\" TP_NByte=\"";
    return "DataPage=\"" + std::to_string(dataPage) + "\" PGN=\"" + pgn + "\" SA=\"" + std::to_string(sa) + "\" TP=\"" +
           tp + "\" Delete=\"N\" OnRequest=\"N\" OnReq_Time=\"\" Mnemonic=\"" + mnemonic + "\"";
}

// Rows: 1 speed, 2 the same PGN on data page 1, 3 a PDU1 PGN with its destination, 4 the speed
// again, 5 DM1 by broadcast, 6 never sent, 7 software identification by request to send.
struct ReplayProjectFixture {
    OutputProject project;
    ReplayProjectFixture() {
        project.WritePargen("0", "0");
        project.WriteReceive({Row(0, "0xFEF1", 0, "Speed"), Row(1, "0xFEF1", 0, "Page one"),
                              Row(0, "0xEF05", 0x21, "To five"), Row(0, "65265", 0, "Speed again"),
                              Row(0, "0xFECA", 3, "DM1", 3, 10), Row(0, "0xFEE3", 0, "Never"),
                              Row(0, "0xFEDA", 0x11, "Soft", 1, 20)});
    }
};

struct Replayed {
    ReplayProject project;
    ReplayResult result;
    std::vector<std::string> csv;
    std::vector<long long> Matches() const {
        std::vector<long long> matches;
        for (const auto& row : result.rows) matches.push_back(row.matches);
        return matches;
    }
    std::vector<uint8_t> Bytes(int offset, int count) const {
        return std::vector<uint8_t>(result.inputArea.begin() + offset, result.inputArea.begin() + offset + count);
    }
    std::string Summary() const { return ReplaySummaryText(project, result); }
};

Replayed Replay(const std::string& trace, std::optional<double> at = std::nullopt) {
    ReplayProjectFixture fixture;
    Replayed out;
    out.project = LoadReplayProject(fixture.project.context());
    TraceLines lines{std::string_view(trace)};
    ReplayOptions options;
    options.atSeconds = at;
    options.onUpdate = [&out](const ReplayUpdate& update) { out.csv.push_back(ReplayCsvLine(update)); };
    out.result = ReplayTrace(out.project, lines, "trace", options);
    return out;
}

void ExpectParts(const std::string& text, std::initializer_list<const char*> parts) {
    for (const char* part : parts) EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

TEST(ReplayProject, RowsTakeTheOffsetsOfTheMap) {
    ReplayProjectFixture fixture;
    const ReplayProject project = LoadReplayProject(fixture.project.context());
    const IoMap map = BuildIoMap(fixture.project.context());
    ASSERT_EQ(project.rows.size(), map.ranges.size());
    for (size_t i = 0; i < project.rows.size(); ++i) {
        EXPECT_EQ(project.rows[i].offset, map.ranges[i].offset);
        EXPECT_EQ(project.rows[i].length, map.ranges[i].length);
    }
}

TEST(ReplayProject, RefusedWithTheMessagesOfTheOutputs) {
    OutputProject limits;
    limits.WritePargen("1", "0");
    limits.WriteReceive({Row(0, "0xFECA", 3, "Big", 1, 65)});
    const auto refusal = ProjectLimitsRefusal(limits.context());
    ASSERT_TRUE(refusal);
    EXPECT_EQ(ErrorText([&] { LoadReplayProject(limits.context()); }), *refusal);

    OutputProject image;
    image.WritePargen();
    image.WriteReceive({"DataPage=\"0\" PGN=\"zz\" SA=\"0\" Delete=\"N\" Mnemonic=\"\""});
    const std::string built = ErrorText([&] { BuildBankImage(image.context()); });
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(ErrorText([&] { LoadReplayProject(image.context()); }), built);
    EXPECT_EQ(ErrorText([&] { LoadReplayProject(image.withoutProject()); }), "Project not valid");
}

// Single frames: data page, the 16-bit PGN (with a PDU1 destination) and the source address.
TEST(Replay, SingleFramesMatchByDataPagePgnAndSourceAddress) {
    const std::pair<uint32_t, std::vector<long long>> cases[] = {
        {Id(0, 0xFE, 0xF1, 0), {1, 0, 0, 1, 0, 0, 0}},     // rows 1 and 4
        {Id(0, 0xFE, 0xF1, 0, 3), {1, 0, 0, 1, 0, 0, 0}},  // priority does not count
        {Id(1, 0xFE, 0xF1, 0), {0, 1, 0, 0, 0, 0, 0}},     // data page 1
        {Id(0, 0xFE, 0xF1, 1), {0, 0, 0, 0, 0, 0, 0}},     // other source
        {Id(0, 0xEF, 0x05, 0x21), {0, 0, 1, 0, 0, 0, 0}},  // PDU1 to its destination
        {Id(0, 0xEF, 0x06, 0x21), {0, 0, 0, 0, 0, 0, 0}},  // PDU1 to another destination
        {Id(0, 0xFE, 0xCA, 3), {0, 0, 0, 0, 0, 0, 0}},     // single frame of a TP row
    };
    for (const auto& [identifier, matches] : cases) {
        const Replayed r = Replay(Trace().Frame(identifier, {1, 2, 3, 4, 5, 6, 7, 8}).text);
        EXPECT_EQ(r.Matches(), matches) << std::hex << identifier;
        const bool unclaimed = std::count(matches.begin(), matches.end(), 1) == 0;
        EXPECT_EQ(r.result.unclaimed.size(), unclaimed ? 1u : 0u) << std::hex << identifier;
    }
}

TEST(Replay, ShorterFramesKeepTheEarlierBytes) {
    const uint32_t speed = Id(1, 0xFE, 0xF1, 0);
    const Replayed r =
        Replay(Trace().Frame(speed, {1, 2, 3, 4, 5, 6, 7, 8}).Frame(speed, {0xA1, 0xA2, 0xA3}).Frame(speed, {}).text);
    EXPECT_EQ(r.result.rows[1].matches, 3);
    EXPECT_EQ(r.Bytes(8, 8), (std::vector<uint8_t>{0xA1, 0xA2, 0xA3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(r.csv, (std::vector<std::string>{"1.000000,2,8,0102030405060708\r\n", "1.010000,2,8,A1A2A3\r\n"}));
    EXPECT_EQ(r.result.rows[1].lastTime, "1.020000");

    // a message shorter than its row: bytes 3 to 9 of 3 to 12
    const auto nine = Counting(9);
    EXPECT_EQ(Replay(Trace().Announce(32, 3, 255, kDm1, 9).Dt(3, 255, 1, nine).Dt(3, 255, 2, nine).text).csv,
              (std::vector<std::string>{"1.020000,5,32,03040506070809\r\n"}));
}

// Transport-protocol sessions: whether DM1 (broadcast, row 5) and the software identification
// (request to send, row 7) arrive whole.
TEST(Replay, TransportProtocolSessions) {
    struct Case {
        const char* name;
        const char* steps;
        long long broadcast, request;
    };
    const Case cases[] = {
        {"broadcast in order", "BAM b1 b2 b3", 1, 0},
        {"broadcast out of order", "BAM b1 b3 b2", 0, 0},
        {"broadcast silent for 751 ms", "@1 BAM b1 @1.761 b2 b3", 0, 0},
        {"broadcast silent for 750 ms", "@1 BAM b1 @1.760 b2 b3", 1, 0},
        {"time going backwards counts as no time", "@10 BAM b1 @5 b2 @5.7 b3", 1, 0},
        {"silence after time went backwards", "@10 BAM b1 @5 b2 @5.8 b3", 0, 0},
        {"broadcast aborted", "BAM b1 XB b2 b3", 0, 0},
        {"new announcement restarts", "BAM b1 b2 BAM b1 b2 b3", 1, 0},
        {"packets repeated after a broadcast", "BAM b1 b2 b3 b2 b3", 1, 0},
        {"two sources interleaved", "BAM BAM:4 b1:4 b1 b2:4 b2 b3:4 b3", 1, 0},
        {"request to send in order", "RTS CTS3 p1 p2 p3 ACK", 0, 1},
        {"request to send without acknowledgement", "RTS CTS3 p1 p2 p3", 0, 0},
        {"acknowledged before every packet", "RTS CTS2 p1 p2 ACK", 0, 0},
        {"packet without a clear-to-send", "RTS p1 CTS3", 0, 0},
        {"more packets than the clear-to-send allows", "RTS CTS2 p1 p2 p3 ACK", 0, 0},
        {"two clear-to-sends", "RTS CTS2 p1 p2 CTS1/3 p3 ACK", 0, 1},
        {"packets asked again replace the earlier ones", "RTS CTS3 p1 w2 p3 CTS1/2 p2 ACK", 0, 1},
        {"held by clear-to-send 0 past T3", "@1 RTS @2 CTS0 @3 CTS0 @4 CTS3 p1 p2 p3 ACK", 0, 1},
        {"packet held while a clear-to-send 0 holds", "RTS CTS0 p1", 0, 0},
        {"silent for 1.26 s after the RTS", "@1 RTS @2.26 CTS3 p1 p2 p3 ACK", 0, 0},
        {"silent for 1.25 s after the RTS", "@1 RTS @2.25 CTS3 p1 p2 p3 ACK", 0, 1},
        {"aborted by the receiver", "RTS CTS3 p1 XR p2 p3 ACK", 0, 0},
        {"repeated after the acknowledgement", "RTS CTS3 p1 p2 p3 ACK p1 p2 p3 ACK", 0, 1},
        {"broadcast and request to send interleaved", "BAM RTS CTS3 b1 p1 b2 p2 b3 p3 ACK", 1, 1},
    };
    const std::vector<uint8_t> dm1{3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (const auto& c : cases) {
        const Replayed r = Replay(Trace().Steps(c.steps).text);
        EXPECT_EQ(r.result.rows[4].matches, c.broadcast) << c.name;
        EXPECT_EQ(r.result.rows[6].matches, c.request) << c.name;
        EXPECT_EQ(r.Bytes(32, 10), c.broadcast ? dm1 : std::vector<uint8_t>(10)) << c.name;
        EXPECT_EQ(r.Bytes(50, 20), c.request ? Counting(20) : std::vector<uint8_t>(20)) << c.name;
    }
}

TEST(Replay, SummaryNamesUnclaimedIdentitiesRowsNeverMatchedAndSkippedLines) {
    Trace trace;
    for (int source = 1; source <= 12; ++source)
        for (int i = 0; i < source; ++i) trace.Frame(Id(0, 0xFE, 0xE0, source), {1});
    trace.Announce(32, 9, 255, 0x1FECA, 10).Dt(9, 255, 1, Counting(10)).Dt(9, 255, 2, Counting(10));  // on data page 1
    trace.Frame(Id(0, 0xFE, 0xF1, 0), {1, 2, 3, 4, 5, 6, 7, 8}).text += "(2.0) can0 123#01\n";
    for (int i = 0; i < 12; ++i) trace.text += "(2.0) can0 18FEF1#01\n";
    const Replayed r = Replay(trace.text);
    ASSERT_EQ(r.result.unclaimed.size(), 10u);
    EXPECT_EQ(r.result.unclaimed[9].sourceAddress, 3);
    ExpectParts(r.Summary(), {"1 transport-protocol message completed",
                              "Identities on the bus that no row takes (10 most frequent of 13):",
                              "  0   0xFEE0  12  12     10.0 ms\n", "  row 6 (Never): DP 0, PGN 0xFEE3, SA 0\n",
                              "Skipped:\n  standard (11-bit) frames: 1\n\n",
                              "line 84: the identifier is not 3 or 8 hexadecimal digits\n", "  (2 more)\n"});
    EXPECT_EQ(r.Summary().find("line 94:"), std::string::npos);
}

TEST(Replay, InputDataAtSecondsAfterTheFirstFrame) {
    const uint32_t speed = Id(0, 0xFE, 0xF1, 0);
    const std::string trace =
        Trace().At(100).Frame(Id(0, 0xFE, 0xF1, 7), {0}).At(101).Frame(speed, {1}).At(102).Frame(speed, {2}).text;
    EXPECT_EQ(Replay(trace, 0.5).Bytes(0, 1), std::vector<uint8_t>{0});
    EXPECT_EQ(Replay(trace).Bytes(0, 1), std::vector<uint8_t>{2});
    const Replayed at = Replay(trace, 1.5);
    EXPECT_EQ(at.Bytes(0, 1), std::vector<uint8_t>{1});
    EXPECT_EQ(at.result.rows[0].matches, 2);  // the summary covers the whole trace
    ExpectParts(ReplayInputAreaText(at.project, at.result), {"Input data 1.5 s after the first frame:\n"});
    ExpectParts(ReplayInputAreaText(at.project, Replay(trace).result),
                {"Input data at the end of the trace:\nPROFIBUS input data (70 bytes)\n",
                 "  0       8       1       1     R1     0   0xFEF1  0   Speed        02 00 00 00 00 00 00 00\n"});
}

// A trace without any frame is refused and leaves the CSV as it was.
TEST(Replay, CsvFileWrittenWholeOrNotAtAll) {
    ReplayProjectFixture fixture;
    const std::string trace = fixture.project.directory() + "/bus.log";
    const std::string csv = fixture.project.directory() + "/out.csv";
    const std::string written = "time,row,offset,bytes\r\n1.000000,1,0,0102\r\n1.000000,4,24,0102\r\n";
    WriteText(trace, Trace().Frame(Id(0, 0xFE, 0xF1, 0), {1, 2}).text);
    RunReplay(fixture.project.context(), trace, csv);
    EXPECT_EQ(ReadText(csv), written);  // rows updated in list order
    for (const char* none :
         {"", "\n\n", "date Wed Dec 9 08:00:00 pm 2026\nbase hex  timestamps absolute\n", "garbage\n"}) {
        WriteText(trace, none);
        EXPECT_EQ(ErrorText([&] { RunReplay(fixture.project.context(), trace, csv); }),
                  "The trace " + trace + " holds no CAN frame.");
        EXPECT_EQ(ReadText(csv), written);
    }
    for (const auto& entry : std::filesystem::directory_iterator(fixture.project.directory()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
}

}  // namespace
}  // namespace kestrova::testing
