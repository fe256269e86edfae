#include "core/replay/trace_replay.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/outputs/bank_image.h"
#include "core/outputs/io_map.h"
#include "core/outputs/output_fixture.h"
#include "core/outputs/project_limits.h"
#include "j1939_trace.h"

namespace kestrova::testing {
namespace {

std::string Row(int dataPage, const std::string& pgn, int sa, const std::string& mnemonic, int start = 0,
                int count = 0) {
    const bool tp = count > 0;
    return "DataPage=\"" + std::to_string(dataPage) + "\" PGN=\"" + pgn + "\" SA=\"" + std::to_string(sa) + "\" TP=\"" +
           (tp ? "Y" : "N") + "\" TP_Start=\"" + (tp ? std::to_string(start) : "") + "\" TP_NByte=\"" +
           (tp ? std::to_string(count) : "") + "\" Delete=\"N\" OnRequest=\"N\" OnReq_Time=\"\" Mnemonic=\"" +
           mnemonic + "\"";
}

constexpr uint32_t kDm1 = 0xFECA;   // broadcast from 3, bytes 3 to 12 taken (row 5)
constexpr uint32_t kSoft = 0xFEDA;  // request to send from 0x11 to 0x00, bytes 1 to 20 (row 7)

// Rows: 1 speed, 2 the same PGN on data page 1, 3 a PDU1 PGN with its destination, 4 the speed
// again, 5 DM1 by broadcast, 6 never sent, 7 software identification by request to send.
class ReplayProjectFixture {
public:
    ReplayProjectFixture() {
        project.WritePargen("0", "0");
        project.WriteReceive({Row(0, "0xFEF1", 0, "Speed"), Row(1, "0xFEF1", 0, "Page one"),
                              Row(0, "0xEF05", 0x21, "To five"), Row(0, "65265", 0, "Speed again"),
                              Row(0, "0xFECA", 3, "DM1", 3, 10), Row(0, "0xFEE3", 0, "Never"),
                              Row(0, "0xFEDA", 0x11, "Soft", 1, 20)});
    }
    OutputProject project;
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

TEST(ReplayProject, RowsTakeTheOffsetsOfTheMap) {
    ReplayProjectFixture fixture;
    const ReplayProject project = LoadReplayProject(fixture.project.context());
    const IoMap map = BuildIoMap(fixture.project.context());
    ASSERT_EQ(project.rows.size(), 7u);
    for (size_t i = 0; i < project.rows.size(); ++i) {
        EXPECT_EQ(project.rows[i].offset, map.ranges[i].offset);
        EXPECT_EQ(project.rows[i].length, map.ranges[i].length);
    }
    EXPECT_EQ(project.rows[4].offset, 32);
    EXPECT_EQ(project.rows[4].startByte, 3);
    EXPECT_TRUE(project.rows[4].transportProtocol);
    EXPECT_EQ(project.rows[6].offset, 50);
    EXPECT_EQ(project.map.inputBytes, 70);
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
    using T = J1939Trace;
    struct Case {
        const char* name;
        uint32_t identifier;
        std::vector<long long> matches;
    };
    const std::vector<uint8_t> eight{1, 2, 3, 4, 5, 6, 7, 8};
    const Case cases[] = {
        {"speed: rows 1 and 4", T::Id(0, 0xFE, 0xF1, 0), {1, 0, 0, 1, 0, 0, 0}},
        {"priority does not count", T::Id(0, 0xFE, 0xF1, 0, 3), {1, 0, 0, 1, 0, 0, 0}},
        {"data page 1", T::Id(1, 0xFE, 0xF1, 0), {0, 1, 0, 0, 0, 0, 0}},
        {"other source", T::Id(0, 0xFE, 0xF1, 1), {0, 0, 0, 0, 0, 0, 0}},
        {"PDU1 to its destination", T::Id(0, 0xEF, 0x05, 0x21), {0, 0, 1, 0, 0, 0, 0}},
        {"PDU1 to another destination", T::Id(0, 0xEF, 0x06, 0x21), {0, 0, 0, 0, 0, 0, 0}},
        {"single frame of a TP row", T::Id(0, 0xFE, 0xCA, 3), {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const Replayed r = Replay(J1939Trace().Frame(c.identifier, eight).text);
        EXPECT_EQ(r.Matches(), c.matches) << c.name;
        EXPECT_EQ(r.result.frames, 1) << c.name;
        const bool unclaimed = std::count(c.matches.begin(), c.matches.end(), 1) == 0;
        EXPECT_EQ(r.result.unclaimed.size(), unclaimed ? 1u : 0u) << c.name;
    }
}

TEST(Replay, ShorterAndEmptyFramesKeepTheEarlierBytes) {
    const uint32_t speed = J1939Trace::Id(1, 0xFE, 0xF1, 0);
    const Replayed r = Replay(
        J1939Trace().Frame(speed, {1, 2, 3, 4, 5, 6, 7, 8}).Frame(speed, {0xA1, 0xA2, 0xA3}).Frame(speed, {}).text);
    EXPECT_EQ(r.result.rows[1].matches, 3);
    EXPECT_EQ(r.Bytes(8, 8), (std::vector<uint8_t>{0xA1, 0xA2, 0xA3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(r.csv, (std::vector<std::string>{"1.000000,2,8,0102030405060708\r\n", "1.010000,2,8,A1A2A3\r\n"}));
    EXPECT_EQ(r.result.rows[1].firstTime, "1.000000");
    EXPECT_EQ(r.result.rows[1].lastTime, "1.020000");
}

TEST(Replay, SeveralRowsUpdatedInListOrder) {
    const Replayed r = Replay(J1939Trace().Frame(J1939Trace::Id(0, 0xFE, 0xF1, 0), {9, 8, 7}).text);
    EXPECT_EQ(r.csv, (std::vector<std::string>{"1.000000,1,0,090807\r\n", "1.000000,4,24,090807\r\n"}));
}

// Transport-protocol sessions: each case says whether DM1 (broadcast, row 5) and the software
// identification (request to send, row 7) arrive.
TEST(Replay, TransportProtocolSessions) {
    using T = J1939Trace;
    const auto dm1 = T::Counting(20);   // 3 packets
    const auto soft = T::Counting(20);  // 3 packets
    struct Case {
        const char* name;
        std::function<void(T&)> write;
        long long broadcast, request;
    };
    const Case cases[] = {
        {"broadcast in order", [&](T& t) { t.Broadcast(3, kDm1, dm1); }, 1, 0},
        {"broadcast out of order",
         [&](T& t) { t.Bam(3, kDm1, 20).Dt(3, 255, 1, dm1).Dt(3, 255, 3, dm1).Dt(3, 255, 2, dm1); }, 0, 0},
        {"broadcast silent for 751 ms",
         [&](T& t) { t.At(1).Bam(3, kDm1, 20).Dt(3, 255, 1, dm1).At(1.761).Dt(3, 255, 2, dm1).Dt(3, 255, 3, dm1); }, 0,
         0},
        {"broadcast silent for 750 ms",
         [&](T& t) { t.At(1).Bam(3, kDm1, 20).Dt(3, 255, 1, dm1).At(1.760).Dt(3, 255, 2, dm1).Dt(3, 255, 3, dm1); }, 1,
         0},
        {"time going backwards counts as no time",
         [&](T& t) {
             t.At(10).Bam(3, kDm1, 20).Dt(3, 255, 1, dm1).At(5).Dt(3, 255, 2, dm1).At(5.7).Dt(3, 255, 3, dm1);
         },
         1, 0},
        {"silence after time went backwards",
         [&](T& t) {
             t.At(10).Bam(3, kDm1, 20).Dt(3, 255, 1, dm1).At(5).Dt(3, 255, 2, dm1).At(5.8).Dt(3, 255, 3, dm1);
         },
         0, 0},
        {"broadcast aborted",
         [&](T& t) { t.Bam(3, kDm1, 20).Dt(3, 255, 1, dm1).Abort(3, 255, kDm1).Dt(3, 255, 2, dm1).Dt(3, 255, 3, dm1); },
         0, 0},
        {"new announcement restarts",
         [&](T& t) { t.Bam(3, kDm1, 20).Dt(3, 255, 1, dm1).Dt(3, 255, 2, dm1).Broadcast(3, kDm1, dm1); }, 1, 0},
        {"packets repeated after a broadcast",
         [&](T& t) { t.Broadcast(3, kDm1, dm1).Dt(3, 255, 2, dm1).Dt(3, 255, 3, dm1); }, 1, 0},
        {"two sources interleaved",
         [&](T& t) {
             t.Bam(3, kDm1, 20).Bam(4, kDm1, 20);
             for (int p = 1; p <= 3; ++p) t.Dt(4, 255, p, dm1).Dt(3, 255, p, dm1);
         },
         1, 0},
        {"request to send in order", [&](T& t) { t.RequestToSend(0x11, 0, kSoft, soft); }, 0, 1},
        {"request to send without acknowledgement",
         [&](T& t) {
             t.Rts(0x11, 0, kSoft, 20)
                 .Cts(0, 0x11, 3, 1, kSoft)
                 .Dt(0x11, 0, 1, soft)
                 .Dt(0x11, 0, 2, soft)
                 .Dt(0x11, 0, 3, soft);
         },
         0, 0},
        {"acknowledged before every packet",
         [&](T& t) {
             t.Rts(0x11, 0, kSoft, 20)
                 .Cts(0, 0x11, 2, 1, kSoft)
                 .Dt(0x11, 0, 1, soft)
                 .Dt(0x11, 0, 2, soft)
                 .Ack(0, 0x11, kSoft, 20);
         },
         0, 0},
        {"packet without a clear-to-send",
         [&](T& t) { t.Rts(0x11, 0, kSoft, 20).Dt(0x11, 0, 1, soft).Cts(0, 0x11, 3, 1, kSoft); }, 0, 0},
        {"more packets than the clear-to-send allows",
         [&](T& t) {
             t.Rts(0x11, 0, kSoft, 20)
                 .Cts(0, 0x11, 2, 1, kSoft)
                 .Dt(0x11, 0, 1, soft)
                 .Dt(0x11, 0, 2, soft)
                 .Dt(0x11, 0, 3, soft)
                 .Ack(0, 0x11, kSoft, 20);
         },
         0, 0},
        {"two clear-to-sends",
         [&](T& t) {
             t.Rts(0x11, 0, kSoft, 20)
                 .Cts(0, 0x11, 2, 1, kSoft)
                 .Dt(0x11, 0, 1, soft)
                 .Dt(0x11, 0, 2, soft)
                 .Cts(0, 0x11, 1, 3, kSoft)
                 .Dt(0x11, 0, 3, soft)
                 .Ack(0, 0x11, kSoft, 20);
         },
         0, 1},
        {"held by clear-to-send 0 past T3",
         [&](T& t) {
             t.At(1)
                 .Rts(0x11, 0, kSoft, 20)
                 .At(2)
                 .Cts(0, 0x11, 0, 1, kSoft)
                 .At(3)
                 .Cts(0, 0x11, 0, 1, kSoft)
                 .At(4)
                 .Cts(0, 0x11, 3, 1, kSoft)
                 .Dt(0x11, 0, 1, soft)
                 .Dt(0x11, 0, 2, soft)
                 .Dt(0x11, 0, 3, soft)
                 .Ack(0, 0x11, kSoft, 20);
         },
         0, 1},
        {"silent for 1.26 s after the RTS",
         [&](T& t) {
             t.At(1)
                 .Rts(0x11, 0, kSoft, 20)
                 .At(2.26)
                 .Cts(0, 0x11, 3, 1, kSoft)
                 .Dt(0x11, 0, 1, soft)
                 .Dt(0x11, 0, 2, soft)
                 .Dt(0x11, 0, 3, soft)
                 .Ack(0, 0x11, kSoft, 20);
         },
         0, 0},
        {"silent for 1.25 s after the RTS",
         [&](T& t) {
             t.At(1)
                 .Rts(0x11, 0, kSoft, 20)
                 .At(2.25)
                 .Cts(0, 0x11, 3, 1, kSoft)
                 .Dt(0x11, 0, 1, soft)
                 .Dt(0x11, 0, 2, soft)
                 .Dt(0x11, 0, 3, soft)
                 .Ack(0, 0x11, kSoft, 20);
         },
         0, 1},
        {"packet held while a clear-to-send 0 holds",
         [&](T& t) { t.Rts(0x11, 0, kSoft, 20).Cts(0, 0x11, 0, 1, kSoft).Dt(0x11, 0, 1, soft); }, 0, 0},
        {"aborted by the receiver",
         [&](T& t) {
             t.Rts(0x11, 0, kSoft, 20)
                 .Cts(0, 0x11, 3, 1, kSoft)
                 .Dt(0x11, 0, 1, soft)
                 .Abort(0, 0x11, kSoft)
                 .Dt(0x11, 0, 2, soft)
                 .Dt(0x11, 0, 3, soft)
                 .Ack(0, 0x11, kSoft, 20);
         },
         0, 0},
        {"repeated after the acknowledgement",
         [&](T& t) {
             t.RequestToSend(0x11, 0, kSoft, soft)
                 .Dt(0x11, 0, 1, soft)
                 .Dt(0x11, 0, 2, soft)
                 .Dt(0x11, 0, 3, soft)
                 .Ack(0, 0x11, kSoft, 20);
         },
         0, 1},
        {"broadcast and request to send interleaved",
         [&](T& t) {
             t.Bam(3, kDm1, 20).Rts(0x11, 0, kSoft, 20).Cts(0, 0x11, 3, 1, kSoft);
             for (int p = 1; p <= 3; ++p) t.Dt(3, 255, p, dm1).Dt(0x11, 0, p, soft);
             t.Ack(0, 0x11, kSoft, 20);
         },
         1, 1},
    };
    for (const auto& c : cases) {
        T trace;
        c.write(trace);
        const Replayed r = Replay(trace.text);
        EXPECT_EQ(r.result.rows[4].matches, c.broadcast) << c.name;
        EXPECT_EQ(r.result.rows[6].matches, c.request) << c.name;
        if (c.broadcast) {
            EXPECT_EQ(r.Bytes(32, 10), (std::vector<uint8_t>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12})) << c.name;
        }
        if (c.request) {
            EXPECT_EQ(r.Bytes(50, 20), soft) << c.name;
        }
    }
}

TEST(Replay, PacketsAskedAgainReplaceTheEarlierOnes) {
    using T = J1939Trace;
    const auto soft = T::Counting(20);
    const auto wrong = std::vector<uint8_t>(20, 0xEE);
    const Replayed r = Replay(T().Rts(0x11, 0, kSoft, 20)
                                  .Cts(0, 0x11, 3, 1, kSoft)
                                  .Dt(0x11, 0, 1, soft)
                                  .Dt(0x11, 0, 2, wrong)
                                  .Dt(0x11, 0, 3, soft)
                                  .Cts(0, 0x11, 1, 2, kSoft)
                                  .Dt(0x11, 0, 2, soft)
                                  .Ack(0, 0x11, kSoft, 20)
                                  .text);
    EXPECT_EQ(r.result.rows[6].matches, 1);
    EXPECT_EQ(r.Bytes(50, 20), soft);
    EXPECT_EQ(r.result.messages, 1);
}

TEST(Replay, MessageShorterThanTheRowGivesTheBytesItHolds) {
    using T = J1939Trace;
    const Replayed r = Replay(T().Broadcast(3, kDm1, T::Counting(9)).text);  // bytes 3 to 9 of 3 to 12
    EXPECT_EQ(r.result.rows[4].matches, 1);
    EXPECT_EQ(r.csv, (std::vector<std::string>{"1.020000,5,32,03040506070809\r\n"}));
}

TEST(Replay, UnclaimedIdentitiesMostFrequentFirst) {
    J1939Trace trace;
    for (int source = 1; source <= 12; ++source)
        for (int i = 0; i < source; ++i) trace.Frame(J1939Trace::Id(0, 0xFE, 0xE0, source), {1});
    trace.Broadcast(9, 0x1FECA, J1939Trace::Counting(10));  // a message on data page 1 no row takes
    const Replayed r = Replay(trace.text);
    ASSERT_EQ(r.result.unclaimed.size(), 10u);
    EXPECT_EQ(r.result.unclaimedIdentities, 13);
    EXPECT_EQ(r.result.unclaimed[0].sourceAddress, 12);
    EXPECT_EQ(r.result.unclaimed[0].count, 12);
    EXPECT_EQ(r.result.unclaimed[9].sourceAddress, 3);
    const std::string summary = ReplaySummaryText(r.project, r.result);
    EXPECT_NE(summary.find("Identities on the bus that no row takes (10 most frequent of 13):"), std::string::npos);
    EXPECT_NE(summary.find("  0   0xFEE0  12  12     10.0 ms\n"), std::string::npos) << summary;
    EXPECT_EQ(r.result.messages, 1);
}

TEST(Replay, SummaryNamesRowsNeverMatchedSkippedAndMalformedLines) {
    J1939Trace trace;
    trace.Frame(J1939Trace::Id(0, 0xFE, 0xF1, 0), {1, 2, 3, 4, 5, 6, 7, 8}).Line("(2.0) can0 123#01");
    for (int i = 0; i < 12; ++i) trace.Line("(2.0) can0 18FEF1#01");
    const Replayed r = Replay(trace.text);
    const std::string summary = ReplaySummaryText(r.project, r.result);
    for (const char* part : {"Lines read: 14; 1 extended frame replayed; 0 transport-protocol messages completed",
                             "  row 6 (Never): DP 0, PGN 0xFEE3, SA 0\n", "Skipped:\n  standard (11-bit) frames: 1\n\n",
                             "Malformed lines: 12\n  line 3: the identifier is not 3 or 8 hexadecimal digits\n",
                             "  line 12: the identifier", "  (2 more)\n"})
        EXPECT_NE(summary.find(part), std::string::npos) << part << "\n" << summary;
    EXPECT_EQ(summary.find("line 13:"), std::string::npos);
    EXPECT_NE(summary.find("  1    Speed        0   0xFEF1  0   N   1        1.000000  1.000000  -\n"),
              std::string::npos)
        << summary;
}

TEST(Replay, InputDataAtSecondsAfterTheFirstFrame) {
    const uint32_t speed = J1939Trace::Id(0, 0xFE, 0xF1, 0);
    const std::string trace = J1939Trace()
                                  .At(100)
                                  .Frame(J1939Trace::Id(0, 0xFE, 0xF1, 7), {0})
                                  .At(101)
                                  .Frame(speed, {1})
                                  .At(102)
                                  .Frame(speed, {2})
                                  .text;
    EXPECT_EQ(Replay(trace, 1.5).Bytes(0, 1), std::vector<uint8_t>{1});
    EXPECT_EQ(Replay(trace, 0.5).Bytes(0, 1), std::vector<uint8_t>{0});
    EXPECT_EQ(Replay(trace).Bytes(0, 1), std::vector<uint8_t>{2});
    const Replayed at = Replay(trace, 1.5);
    EXPECT_EQ(at.result.rows[0].matches, 2);  // the summary covers the whole trace
    EXPECT_NE(ReplayInputAreaText(at.project, at.result).find("Input data 1.5 s after the first frame:\n"),
              std::string::npos);
}

TEST(Replay, TraceWithoutAnyFrameIsRefused) {
    for (const char* trace :
         {"", "\n\n", "date Wed Dec 9 08:00:00 pm 2026\nbase hex  timestamps absolute\n", "garbage\n"})
        EXPECT_EQ(ErrorText([&] { Replay(trace); }), "The trace trace holds no CAN frame.") << trace;
}

TEST(Replay, InputAreaTextInTheMapLayout) {
    const Replayed r = Replay(J1939Trace().Frame(J1939Trace::Id(0, 0xFE, 0xF1, 0), {0xAB, 0xCD}).text);
    const std::string text = ReplayInputAreaText(r.project, r.result);
    EXPECT_NE(text.find("Input data at the end of the trace:\nPROFIBUS input data (70 bytes)\n"), std::string::npos);
    EXPECT_NE(
        text.find("  0       8       1       1     R1     0   0xFEF1  0   Speed        AB CD 00 00 00 00 00 00\n"),
        std::string::npos)
        << text;
}

TEST(Replay, CsvFileWrittenWholeOrNotAtAll) {
    ReplayProjectFixture fixture;
    const std::string trace = fixture.project.directory() + "/bus.log";
    const std::string csv = fixture.project.directory() + "/out.csv";
    WriteText(trace, J1939Trace().Frame(J1939Trace::Id(0, 0xFE, 0xF1, 0), {1, 2}).text);
    RunReplay(fixture.project.context(), trace, csv);
    EXPECT_EQ(ReadText(csv), "time,row,offset,bytes\r\n1.000000,1,0,0102\r\n1.000000,4,24,0102\r\n");
    WriteText(trace, "nothing\n");
    EXPECT_FALSE(ErrorText([&] { RunReplay(fixture.project.context(), trace, csv); }).empty());
    EXPECT_EQ(ReadText(csv), "time,row,offset,bytes\r\n1.000000,1,0,0102\r\n1.000000,4,24,0102\r\n");
    for (const auto& entry : std::filesystem::directory_iterator(fixture.project.directory()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
}

}  // namespace
}  // namespace kestrova::testing
