#include "core/readback/bank_image_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "../outputs/output_fixture.h"
#include "core/readback/image_description.h"
#include "core/outputs/bank_image.h"

namespace kestrova::testing {
namespace {

std::string WorkedExample() { return ReadText(OutputData("worked_example.bin")); }

std::string Fuzz(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/../fuzz/" + name; }

TEST(BankImageDecoder, WorkedExampleReadsBackEveryField) {
    const auto decoding = DecodeBankImage(WorkedExample());
    ASSERT_FALSE(decoding.fault) << decoding.fault->Text();
    const BankImage& image = decoding.image;
    ASSERT_EQ(image.receiveFrames.size(), 2u);
    const auto& r = image.receiveFrames[1];
    EXPECT_EQ(std::make_tuple(r.dataPage, r.pgn, r.sourceAddress, r.transportProtocol, r.startByte, r.dataLength,
                              r.dataOffset, r.flags, r.requestTime),
              std::make_tuple(0, 0xFECA, 3, 1, 1, 20, 8, 3, 1000));
    ASSERT_EQ(image.sendFrames.size(), 1u);
    const auto& s = image.sendFrames[0];
    EXPECT_EQ(std::make_tuple(s.priority, s.dataPage, s.pgn, s.sourceAddress, s.transmissionType),
              std::make_tuple(6, 0, 0xFF00, 128, 1));
    ASSERT_TRUE(image.parameters);
    const auto& p = *image.parameters;
    EXPECT_EQ(std::make_tuple(p.canBaud, p.canType, p.canSendData, p.canDelaySend, p.canTimeOut, p.canPeer, p.profiId,
                              p.profiBaud, p.inputDataLength, p.outputDataLength, p.profiModule),
              std::make_tuple(5, 1, 0, 1000, 5, 0, 20, 10, 28, 8, 0));
    EXPECT_EQ(std::make_tuple(p.receiveFrameCount, p.sendFrameCount, p.filterFeca, p.timeOutFeca, p.profiSendJ1939,
                              p.timerCount),
              std::make_tuple(2, 1, 0, 1, 0, 2));
    EXPECT_EQ(image.timers, (std::vector<int32_t>{100, 250}));

    const std::string text = BankImageText(image);
    for (const char* line :
         {"  send frame 1: priority 6, data page 0, PGN 0xFF00, source address 128, sent on timer T1\n",
          "  J1939 Baud rate                   5 (250K)\n", "  CAN Type                          1 (CAN 2.0B 29Bit)\n",
          "  T2 250 ms\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    const std::string json = BankImageJson(image);
    for (const char* item : {"\"size\": 77", "\"pgnHex\": \"0xFECA\"", "\"transmission\": \"on timer T1\"",
                             "\"canBaudText\": \"250K\"", "\"timersMs\": [\n    100,\n    250\n  ]"})
        EXPECT_NE(json.find(item), std::string::npos) << item << json;
}

struct Refusal {
    const char* name;
    void (*change)(std::string& bytes);
    size_t offset;
    const char* reason;
};

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(BankImageDecoder, EachStructuralRefusalNamesItsByte) {
    const Refusal refusals[] = {
        {"short", [](std::string& b) { b.resize(10); }, 10, "the file holds 10 bytes, fewer than the 16 bytes"},
        {"large", [](std::string& b) { b.resize(100005); }, 100004, "more than the 100004 bytes of the gateway's bank"},
        {"receive", [](std::string& b) { Put32(b, 0, 17); }, 0, "the receive table offset is 17, not 16"},
        {"send before", [](std::string& b) { Put32(b, 4, 12); }, 4, "the send table offset 12 lies before the receive"},
        {"send past", [](std::string& b) { Put32(b, 4, 200); }, 4,
         "offset 200 lies past the end of the file (77 bytes)"},
        {"receive size", [](std::string& b) { Put32(b, 4, 43); }, 4, "the receive table holds 27 bytes, not a whole"},
        {"block before", [](std::string& b) { Put32(b, 8, 40); }, 8, "lies before the send table at 44"},
        {"send size", [](std::string& b) { Put32(b, 8, 49); }, 8, "the send table holds 5 bytes, not a whole"},
        {"timer before", [](std::string& b) { Put32(b, 12, 49); }, 12, "lies before the parameter block at 50"},
        {"block size", [](std::string& b) { Put32(b, 12, 68); }, 12, "the parameter block holds 18 bytes, not 19"},
        {"stray", [](std::string& b) { b.push_back('\0'); }, 77, "ends in 1 stray byte, not a whole 4-byte"},
        {"transport", [](std::string& b) { b[20] = 2; }, 20, "receive frame 1: the transport protocol byte is 2"},
        {"start", [](std::string& b) { b[21] = 5; }, 21, "receive frame 1: start byte 5 without transport"},
        {"length", [](std::string& b) { b[23] = 9; }, 23, "receive frame 1: data length 9 without transport"},
        {"data offset", [](std::string& b) { b[38] = 9; }, 38,
         "data offset 9, but the data lengths before it end at 8"},
        {"flags", [](std::string& b) { b[39] = 7; }, 39, "receive frame 2: flags 7 set bits other than"},
        {"input", [](std::string& b) { b[59] = 27; }, 59, "input data length is 27, but the receive frames' data end"},
        {"output", [](std::string& b) { b[60] = 16; }, 60,
         "output data length is 16, but the send frames carry 8 bytes"},
        {"receive count", [](std::string& b) { b[62] = 3; }, 62, "receive frame count is 3, but the receive table"},
        {"send count", [](std::string& b) { b[63] = 0; }, 63, "send frame count is 0, but the send table holds 1"},
        {"timer count", [](std::string& b) { b[68] = 1; }, 68, "timer count is 1, but the timer table holds 2"},
    };
    for (const auto& refusal : refusals) {
        std::string bytes = WorkedExample();
        refusal.change(bytes);
        const auto decoding = DecodeBankImage(bytes);
        ASSERT_TRUE(decoding.fault) << refusal.name;
        EXPECT_EQ(decoding.fault->offset, refusal.offset) << refusal.name;
        EXPECT_NE(decoding.fault->reason.find(refusal.reason), std::string::npos)
            << refusal.name << ": " << decoding.fault->reason;
    }
}

// Every image the test data and the examples hold: the kept files, and the images built from
// every fixture project.
std::vector<std::string> KnownImages() {
    std::vector<std::string> images{WorkedExample()};
    const std::string roots[] = {OutputData(""), std::string(KESTROVA_TEST_DATA) + "/../../examples"};
    for (const auto& root : roots)
        for (const auto& entry : std::filesystem::directory_iterator(root))
            if (std::filesystem::exists(entry.path() / "Receive_Frame.xml")) {
                ProjectContext context = MakeProjectContext("/nonexistent");
                context.projectDirectory = entry.path().string();
                context.DeriveDocumentPaths();
                try {
                    images.push_back(BankImageBytes(BuildBankImage(context)));
                } catch (const Error&) {
                    // a project the builder refuses (a transport frame without source address)
                }
            }
    return images;
}

TEST(BankImageDecoder, KnownImagesDecodeAndEncodeToTheSameBytes) {
    const auto images = KnownImages();
    EXPECT_GE(images.size(), 3u);
    for (const auto& bytes : images) {
        const auto decoding = DecodeBankImage(bytes);
        ASSERT_FALSE(decoding.fault) << decoding.fault->Text();
        EXPECT_EQ(BankImageBytes(decoding.image), bytes);
    }
}

// Any decoded image encodes to its bytes again; a fault lies inside the file or at its end.
void ExpectSound(const std::string& bytes) {
    const auto decoding = DecodeBankImage(bytes);
    if (decoding.fault) {
        ASSERT_LE(decoding.fault->offset, std::min(bytes.size(), kBankImageCapacity)) << decoding.fault->Text();
        return;
    }
    ASSERT_EQ(BankImageBytes(decoding.image), bytes);
    BankImageText(decoding.image);
    BankImageJson(decoding.image);
}

TEST(BankImageDecoder, RandomBytesAndMutatedImagesNeverBreakIt) {
    std::mt19937 random(1939);
    const auto below = [&random](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    const auto byte = [&below] { return static_cast<char>(below(256)); };
    auto seeds = KnownImages();  // and the fuzzer's seeds and kept inputs, checked without clang
    for (const char* folder : {"corpus/bank_image_decoder_fuzz", "regressions/bank_image_decoder_fuzz"})
        if (std::filesystem::exists(Fuzz(folder)))
            for (const auto& entry : std::filesystem::directory_iterator(Fuzz(folder)))
                seeds.push_back(ReadText(entry.path()));
    for (const auto& seed : seeds) ExpectSound(seed);
    for (int round = 0; round < 100000; ++round) {
        std::string bytes;
        if (round % 2 == 0) {  // random bytes
            bytes.resize(below(96));
            for (auto& b : bytes) b = byte();
        } else {  // a known image with a few bytes changed, inserted or cut, or cut short
            bytes = seeds[below(seeds.size())];
            for (size_t edits = 1 + below(3); edits > 0; --edits) {
                const size_t at = below(bytes.size() + 1), how = below(4);
                if (how == 0 && at < bytes.size()) bytes[at] = byte();
                if (how == 1) bytes.insert(at, 1, byte());
                if (how == 2 && at < bytes.size()) bytes.erase(at, 1);
                if (how == 3) bytes.resize(at);
            }
        }
        ExpectSound(bytes);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace kestrova::testing
