#include "core/device/srecord_composer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ReadText;
using testing::WriteText;

std::string Record(std::uint32_t address, std::uint8_t fill) {
    const std::vector<std::uint8_t> data(kRecordDataBytes, fill);
    return S2RecordLine(address, data.data());
}

// The data lines of a file whose address lies in [first, first + size).
std::vector<std::string> LinesIn(const std::string& text, std::uint32_t first, std::uint32_t size) {
    std::vector<std::string> found;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        if (line.rfind("S2", 0) == 0 && std::stoul(line.substr(4, 6), nullptr, 16) - first < size)
            found.push_back(line);
    }
    return found;
}

class Composer : public ::testing::Test {
protected:
    testing::TempDir dir;
    testing::RecordingDialogs dialogs;
    ComposerSettings settings;

    void SetUp() override {
        std::filesystem::create_directories(dir / "MASTER");
        std::filesystem::create_directories(dir / "P 1/bin");
        ProjectContext context = MakeProjectContext(dir.path());
        context.projectDirectory = dir / "P 1";
        settings = DefaultComposerSettings(context);
        Bank(1, std::string(kBankSize, '\x11'));
        Bank(2, std::string(kBankSize, '\x22'));
    }
    void Bank(int bank, const std::string& bytes) { WriteText(settings.bankDirectory + BankBinaryName(bank), bytes); }
    void Base(const std::string& text) { WriteText(settings.baseFirmware, text); }
    std::string NewFile() { return ReadText(settings.projectDirectory + settings.newFileName); }
    ComposeReport Compose() {
        const ComposeReport report = ComposeFirmware(settings, dialogs);
        for (int bank = 1; bank <= kBankCount; ++bank)  // no stage file is left behind
            EXPECT_FALSE(std::filesystem::exists(settings.projectDirectory + StageFileName(bank))) << bank;
        return report;
    }
};

TEST(S2RecordLine, AddressDataAndOnesComplementChecksum) {
    std::vector<std::uint8_t> counting(32);
    for (int i = 0; i < 32; ++i) counting[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(Record(0x388000, 0x00), "S224388000" + std::string(64, '0') + "23\r\n");
    EXPECT_EQ(Record(0x398000, 0xFF), "S224398000" + std::string(64, 'F') + "42\r\n");
    EXPECT_EQ(S2RecordLine(0x3CBFE0, counting.data()),
              "S2243CBFE0000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F10\r\n");
}

TEST_F(Composer, BanksReplaceTheirRangeAtTheFirstRecordOfIt) {
    Base("S00600004844521B\n" + Record(0x387FE0, 1) + Record(0x389000, 2) + Record(0x300000, 3) + Record(0x388000, 4) +
         "S1133880000102030405060708090A0B0C0D0E0F40\r\n" + Record(0x398000, 5) + "S9030000FC\n");
    const ComposeReport report = Compose();
    ASSERT_TRUE(report.produced) << ::testing::PrintToString(dialogs.Texts());
    EXPECT_EQ(report.banks[0], BankOutcome::Inserted);
    EXPECT_EQ(report.banks[1], BankOutcome::Inserted);
    const std::string out = NewFile();
    const size_t bank1 = out.find(Record(0x388000, 0x11));
    EXPECT_EQ(out.substr(0, bank1), "S00600004844521B\r\n" + Record(0x387FE0, 1));  // where 0x389000 stood
    const auto banked = LinesIn(out, 0x388000, kBankSize);
    ASSERT_EQ(banked.size(), 512u);
    EXPECT_EQ(banked.back() + "\r\n", Record(0x38BFE0, 0x11));
    EXPECT_EQ(LinesIn(out, 0x398000, kBankSize).size(), 512u);
    EXPECT_NE(out.find("S1133880000102"), std::string::npos);  // a 16-bit address is never in a bank
    EXPECT_EQ(out.substr(out.size() - 12), "S9030000FC\r\n");
    EXPECT_EQ(dialogs.messages.size(), 0u);
}

TEST_F(Composer, BankBinaryLongerOrShorterThanTheBank) {
    Base(Record(0x388000, 0) + "S9030000FC\r\n");
    Bank(1, std::string(kBankSize, '\x11') + "\x99\x99");
    Bank(2, "\x01\x02");  // bank 2 has no record in the base
    const ComposeReport report = Compose();
    EXPECT_EQ(report.banks[1], BankOutcome::NotInserted);  // and the file is produced all the same
    ASSERT_TRUE(report.produced);
    const auto bank1 = LinesIn(NewFile(), 0x388000, kBankSize + 0x1000);  // nothing beyond the bank
    ASSERT_EQ(bank1.size(), 512u);
    EXPECT_EQ(bank1.back() + "\r\n", Record(0x38BFE0, 0x11));
    Base(Record(0x398000, 0) + "S9030000FC\r\n");
    settings.banks = {false, true, false, false, false};
    ASSERT_TRUE(Compose().produced);
    const auto banked = LinesIn(NewFile(), 0x398000, kBankSize);
    ASSERT_EQ(banked.size(), 512u);
    EXPECT_EQ(banked[0].substr(10, 8), "0102FFFF");
    EXPECT_EQ(banked[511] + "\r\n", Record(0x39BFE0, 0xFF));
}

TEST_F(Composer, FailuresStopTheSequenceAndKeepTheEarlierNewFile) {
    const struct {
        std::string base;
        const char* message;
    } cases[] = {
        {Record(0x388000, 0), kNoS9Record},
        {Record(0x388000, 0) + "\r\nS9030000FC\r\n", kNewSxNotCreated},
        {"S2243880\r\nS9030000FC\r\n", kNewSxNotCreated},
        {"S224388G00\r\nS9030000FC\r\n", kNewSxNotCreated},
        {std::string(kMaxSRecordLine + 1, 'x') + "\r\nS9030000FC\r\n", kNewSxNotCreated},
    };
    WriteText(settings.projectDirectory + settings.newFileName, "earlier");
    for (const auto& c : cases) {
        dialogs = {};
        Base(c.base);
        const ComposeReport report = Compose();
        EXPECT_EQ(report.banks[0], BankOutcome::Failed) << c.message;
        EXPECT_EQ(report.stages, 1);
        EXPECT_FALSE(report.produced);
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(NewFile(), "earlier");
    }
}

TEST_F(Composer, ChecksBeforeMerging) {
    Base(Record(0x388000, 0) + "S9030000FC\r\n");
    const auto MessageOf = [&](auto change) {
        ComposerSettings saved = settings;
        change();
        dialogs = {};
        EXPECT_FALSE(Compose().produced);
        settings = saved;
        return dialogs.Texts().empty() ? std::string() : dialogs.Texts().front();
    };
    EXPECT_EQ(MessageOf([&] { settings.baseFirmware += "x"; }), kSxNotFound);
    EXPECT_EQ(MessageOf([&] { settings.newFileName.clear(); }), kNewSxNotFound);
    EXPECT_EQ(MessageOf([&] { settings.newFileName = "../escape.sx"; }), kNewNameNotValid);
    EXPECT_EQ(MessageOf([&] { settings.bankDirectory = dir / "nowhere/"; }), kDirectoryBinNotFound);
    EXPECT_EQ(MessageOf([&] { std::filesystem::remove(settings.bankDirectory + "bank2.bin"); }),
              "File bank2.bin Not Found,Abort Procedure");
}

TEST_F(Composer, PassingStageOneThroughCopiesTheBaseFirmware) {
    const std::string base = Record(0x388000, 7) + "S9030000FC\n";
    Base(base);
    settings.banks = {};
    ASSERT_TRUE(Compose().produced);
    EXPECT_EQ(ReadText(settings.baseFirmware), base);
    EXPECT_EQ(NewFile(), base);
}

TEST(FlashProgrammer, ParameterTextAndLaunch) {
    EXPECT_EQ(FlashProgrammerParameterText("/T/PROJECTS/P 1/", "New_sx51904.sx", 7),
              "\"/T/PROJECTS/P 1/New_sx51904.sx\"\xB6"
              "7");
    testing::TempDir dir;
    testing::RecordingDialogs dialogs;
    ComposerSettings settings;
    settings.projectDirectory = dir.path() + "/";
    settings.newFileName = "New_a.sx";
    std::vector<std::string> started;
    const ProgramStarter starter = [&](const std::string& program, const std::string& parameters) {
        started.push_back(program + "|" + parameters);
        RunOutcome outcome;
        outcome.state = RunOutcome::State::StillRunning;
        return outcome;
    };
    EXPECT_FALSE(LaunchFlashProgrammer(dir / kFlashProgrammerName, settings, 0, dialogs, starter));
    WriteText(dir / "New_a.sx", "S9030000FC\r\n");
    EXPECT_FALSE(LaunchFlashProgrammer(dir / kFlashProgrammerName, settings, 0, dialogs, starter));
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{kSxNotFound, kFlashWriteNotFound}));
    WriteText(dir / "FlashWrite", "");
    EXPECT_TRUE(LaunchFlashProgrammer(dir / kFlashProgrammerName, settings, 2, dialogs, starter));
    EXPECT_EQ(started, std::vector<std::string>{dir / "FlashWrite|\"" + (dir / "New_a.sx") +
                                                "\"\xB6"
                                                "2"});
    EXPECT_EQ(SplitCommandLine("\"/a b/New_a.sx\"\xB6"
                               "2"),
              std::vector<std::string>{"/a b/New_a.sx\xB6"
                                       "2"});
}

// srecord reads the composed file (every checksum) and finds the same data as its own merge.
TEST_F(Composer, SrecordAgreesWithTheComposedFile) {
    if (std::system("command -v srec_info >/dev/null 2>&1 && command -v srec_cmp >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "srecord is not installed";
    std::string base = "S00600004844521B\r\n";
    for (std::uint32_t address = 0x380000; address < 0x3A0000; address += 32) base += Record(address, address >> 8);
    Base(base + "S9030000FC\r\n");
    std::string bytes(kBankSize, 0);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    Bank(1, bytes);
    ASSERT_TRUE(Compose().produced);
    const std::string composed = "'" + settings.projectDirectory + settings.newFileName + "'";
    const std::string bin = "'" + settings.bankDirectory;
    EXPECT_EQ(std::system(("srec_info " + composed + " >/dev/null").c_str()), 0);
    const std::string merge = "srec_cat '" + settings.baseFirmware +
                              "' -exclude 0x388000 0x38C000 -exclude 0x398000 0x39C000 " + bin +
                              "bank1.bin' -binary -offset 0x388000 " + bin +
                              "bank2.bin' -binary -offset 0x398000 -o '" + (dir / "srec_cat.sx") + "' -obs=32";
    ASSERT_EQ(std::system(merge.c_str()), 0);
    EXPECT_EQ(std::system(("srec_cmp " + composed + " '" + (dir / "srec_cat.sx") + "'").c_str()), 0);
}

}  // namespace
}  // namespace kestrova
