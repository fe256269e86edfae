#include "core/device/srecord_composer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
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
    // lines srec_cat wrote
    const std::uint8_t text[] = "Kestrova";
    EXPECT_EQ(SRecordLine(2, 0x38C020, text, 8), "S20C38C0204B657374726F76618C\r\n");
    EXPECT_EQ(SRecordLine(3, 0x38C020, text, 8), "S30D0038C0204B657374726F76618B\r\n");
    EXPECT_EQ(SRecordLine(5, 3, nullptr, 0), "S5030003F9\r\n");
    EXPECT_EQ(SRecordLine(8, 0x388000, nullptr, 0), "S80438800043\r\n");
    EXPECT_EQ(SRecordLine(7, 0x400, nullptr, 0), "S70500000400F6\r\n");
}

TEST_F(Composer, BanksReplaceTheirRangeAtTheFirstRecordOfIt) {
    Base("S00600004844521B\n" + Record(0x387FE0, 1) + Record(0x389000, 2) + Record(0x300000, 3) + Record(0x388000, 4) +
         "S1133880000102030405060708090A0B0C0D0E0FBC\r\n" + Record(0x398000, 5) + "S9030000FC\n");
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
    const auto line = [&](int number, const std::string& reason) {
        return "File " + settings.baseFirmware + " line " + std::to_string(number) + ": " + reason +
               ", Abort Procedure";
    };
    const struct {
        std::string base;
        std::string message;
    } cases[] = {
        {Record(0x388000, 0), kNoS9Record},
        {Record(0x388000, 0) + "S9030000FD\r\n", line(2, "bad checksum")},
        {"\r\n\n" + Record(0x388000, 0) + "S9030000FC\r\nPK\x03\x04\r\n", line(5, "not an S-record")},
        {"S2243880\r\nS9030000FC\r\n", line(1, "byte count 0x24 does not match the line's length")},
        {"S224388G00\r\nS9030000FC\r\n", line(1, "not a hexadecimal digit at column 8")},
        {Record(0x388000, 0) + std::string(kMaxSRecordLine + 1, 'x') + "\r\nS9030000FC\r\n",
         line(2, "longer than 262144 characters")},
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

// Empty lines (also of blanks, also after the end record) are skipped wherever they are.
TEST_F(Composer, EmptyLinesAreSkipped) {
    const std::string records[] = {"S00600004844521B", Record(0x300000, 1).substr(0, 76),
                                   Record(0x388000, 2).substr(0, 76), "S9030000FC"};
    std::string plain, blank = "\r\n";
    for (const std::string& record : records) {
        plain += record + "\r\n";
        blank += record + "  \n\n \t\r\n";
    }
    Base(plain);
    ASSERT_TRUE(Compose().produced);
    const std::string expected = NewFile();
    Base(blank + "\n\r\n");
    ASSERT_TRUE(Compose().produced) << ::testing::PrintToString(dialogs.Texts());
    EXPECT_EQ(NewFile(), expected);
}

// A file of 8 GiB without a line end (sparse) is refused after its first megabyte, whichever
// stage reads it first.
TEST_F(Composer, AHugeLineIsRefusedAtOnce) {
    const int fd = ::open(settings.baseFirmware.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 8LL << 30), 0);
    ::close(fd);
    const std::string refusal =
        "File " + settings.baseFirmware + " line 1: longer than 262144 characters, Abort Procedure";
    for (const auto& banks : {std::array<bool, kBankCount>{true, true}, std::array<bool, kBankCount>{false, true},
                              std::array<bool, kBankCount>{}}) {
        dialogs = {};
        settings.banks = banks;
        EXPECT_FALSE(Compose().produced);
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{refusal});
        EXPECT_FALSE(std::filesystem::exists(settings.projectDirectory + settings.newFileName));
    }
}

// A record crossing an end of a bank keeps its bytes outside the bank in records of its own
// type; the bank's records come where the first record reaching into the bank stood.
TEST_F(Composer, RecordsCrossingABankAreSplit) {
    std::vector<std::uint8_t> data(48);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(0xA0 + i);
    Base(SRecordLine(2, 0x387FF0, data.data(), 48) + SRecordLine(3, 0x38BFF0, data.data(), 48) +
         SRecordLine(2, 0x388100, data.data(), 48) + "S804000000FB\r\n");
    settings.banks = {true, false, false, false, false};
    ASSERT_TRUE(Compose().produced) << ::testing::PrintToString(dialogs.Texts());
    std::string bank;
    for (std::uint32_t address = 0x388000; address < 0x38C000; address += 32) bank += Record(address, 0x11);
    EXPECT_EQ(NewFile(), SRecordLine(2, 0x387FF0, data.data(), 16) + bank +
                             SRecordLine(3, 0x38C000, data.data() + 16, 32) + "S804000000FB\r\n");
}

// The count record holds the number of data records before it in the new file: S5 up to
// 0xFFFF, S6 above, whatever the base had.
TEST_F(Composer, CountRecordsAreRewritten) {
    std::string many;
    for (std::uint32_t address = 0x100000; address < 0x100000 + 65100 * 32; address += 32) many += Record(address, 3);
    const struct {
        std::string base;
        std::string count;
    } cases[] = {
        {Record(0x300000, 1) + Record(0x388000, 2) + "S5030002FA\r\nS804000000FB\r\n", CountRecordLine(513)},
        {Record(0x300000, 1) + "S60400000FEC\r\nS804000000FB\r\n", CountRecordLine(1)},
        {many + Record(0x388000, 2) + "S5030000FC\r\nS9030000FC\r\n", CountRecordLine(65100 + 512)},
    };
    settings.banks = {true, false, false, false, false};
    for (const auto& c : cases) {
        Base(c.base);
        ASSERT_TRUE(Compose().produced) << ::testing::PrintToString(dialogs.Texts());
        const std::string out = NewFile();
        const size_t end = out.rfind("S", out.size() - 3);
        const size_t count = out.rfind("S", end - 1);
        EXPECT_EQ(out.substr(count, end - count), c.count);
    }
    EXPECT_EQ(CountRecordLine(0xFFFF), "S503FFFFFE\r\n");
    EXPECT_EQ(CountRecordLine(0x10000), "S604010000FA\r\n");
}

// Nothing the composition did not make is written over or removed: every refusal comes before
// anything is written, and the files of the folder stay as they were.
TEST_F(Composer, RefusesToWriteOverFilesItDidNotMake) {
    Base(Record(0x388000, 0) + "S9030000FC\r\n");
    const std::string project = settings.projectDirectory;
    const auto stage = [&](int bank) { return project + StageFileName(bank); };
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::function<std::string()> message;
    } cases[] = {
        {"user files named like the stage files",
         [&] {
             for (int bank = 1; bank <= kBankCount; ++bank) WriteText(stage(bank), "mine " + std::to_string(bank));
         },
         [&] { return StageFileExists(stage(1)); }},
        {"a broken link", [&] { std::filesystem::create_symlink("nowhere", stage(2)); },
         [&] { return StageFileExists(stage(2)); }},
        {"the base is stage 1's file",
         [&] {
             std::filesystem::copy_file(settings.baseFirmware, stage(1));
             settings.baseFirmware = stage(1);
             settings.newFileName = NewFileNameFor(stage(1));
         },
         [&] { return BaseIsStageFile(stage(1)); }},
        {"the base is stage 3's file",
         [&] {
             std::filesystem::copy_file(settings.baseFirmware, stage(3));
             settings.baseFirmware = stage(3);
         },
         [&] { return BaseIsStageFile(stage(3)); }},
        {"the new file is the base",
         [&] {
             std::filesystem::copy_file(settings.baseFirmware, project + "fw.sx");
             settings.baseFirmware = project + "fw.sx";
             settings.newFileName = "fw.sx";
         },
         [&] { return NewFileIsBase("fw.sx"); }},
        {"the new file is a link to the base",
         [&] {
             std::filesystem::create_symlink(settings.baseFirmware, project + "link.sx");
             settings.newFileName = "link.sx";
         },
         [&] { return NewFileIsBase("link.sx"); }},
        {"a project document",
         [&] {
             WriteText(project + "pargen.xml", "<Par_Gen/>");
             settings.newFileName = "pargen.xml";
         },
         [&] { return NewFileIsDocument("pargen.xml"); }},
        {"a project document not made yet", [&] { settings.newFileName = "Receive_Frame.xml"; },
         [&] { return NewFileIsDocument("Receive_Frame.xml"); }},
        {"a folder", [&] { settings.newFileName = "bin"; }, [&] { return NewFileIsFolder("bin"); }},
    };
    const auto snapshot = [&] {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
            files[entry.path()] = entry.is_symlink()        ? "-> " + std::filesystem::read_symlink(entry).string()
                                  : entry.is_regular_file() ? ReadText(entry.path())
                                                            : "folder";
        return files;
    };
    const ComposerSettings defaults = settings;
    for (const auto& c : cases) {
        settings = defaults;
        std::filesystem::remove_all(project);
        std::filesystem::create_directories(project + "bin");
        Bank(1, std::string(kBankSize, '\x11'));
        c.prepare();
        const auto before = snapshot();
        dialogs = {};
        const ComposeReport report = ComposeFirmware(settings, dialogs);
        EXPECT_FALSE(report.produced) << c.what;
        EXPECT_EQ(report.stages, 0) << c.what;
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{c.message()}) << c.what;
        EXPECT_EQ(snapshot(), before) << c.what;
    }
}

// A stage file made by someone else while the composition runs is not written over, nor removed.
TEST_F(Composer, AStageFileMadeDuringTheRunIsLeftAlone) {
    Base(Record(0x388000, 0) + Record(0x398000, 0) + "S9030000FC\r\n");
    const std::string theirs = settings.projectDirectory + StageFileName(2);
    int starts = 0;
    const ComposeReport report = ComposeFirmware(settings, dialogs, [&](long long position, long long maximum) {
        if (position == 0 && maximum == 0 && ++starts == 2) WriteText(theirs, "theirs");
    });
    EXPECT_FALSE(report.produced);
    EXPECT_EQ(report.banks[0], BankOutcome::Inserted);
    EXPECT_EQ(report.banks[1], BankOutcome::Failed);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{StageFileExists(theirs)});
    EXPECT_EQ(ReadText(theirs), "theirs");
    EXPECT_FALSE(std::filesystem::exists(settings.projectDirectory + StageFileName(1)));
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

// Files srec_cat wrote (tests/data/srecord/make_straddling_bases.sh): records of 48 bytes cross
// the ends of both banks, a count record (S5) and an end record S8 (S2 records) or S7 (S3
// records). The new file holds one value for each address, every byte of the base outside the
// banks, the banks' bytes, the right count, and the base's end record.
TEST_F(Composer, SrecordReadsTheComposedFileOfRecordsAcrossTheBanks) {
    if (std::system("command -v srec_cat >/dev/null 2>&1 && command -v srec_cmp >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "srecord is not installed";
    for (int bank = 1; bank <= 2; ++bank) {
        std::string bytes(kBankSize, 0);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13 + bank);
        Bank(bank, bytes);
    }
    for (const char* fixture : {"straddling_s2_s5_s8.sx", "straddling_s3_s5_s7.sx"}) {
        SCOPED_TRACE(fixture);
        std::filesystem::copy_file(std::string(KESTROVA_TEST_DATA "/srecord/") + fixture, settings.baseFirmware,
                                   std::filesystem::copy_options::overwrite_existing);
        const ComposeReport report = Compose();
        ASSERT_TRUE(report.produced) << ::testing::PrintToString(dialogs.Texts());
        EXPECT_EQ(report.banks[0], BankOutcome::Inserted);
        EXPECT_EQ(report.banks[1], BankOutcome::Inserted);
        const std::string composed = "'" + settings.projectDirectory + settings.newFileName + "'";
        // srec_cat refuses two values for one address and a count that does not match
        EXPECT_EQ(std::system(("srec_cat " + composed + " -o /dev/null").c_str()), 0);
        const std::string bin = "'" + settings.bankDirectory;
        const std::string merge = "srec_cat '" + settings.baseFirmware +
                                  "' -exclude 0x388000 0x38C000 -exclude 0x398000 0x39C000 " + bin +
                                  "bank1.bin' -binary -offset 0x388000 " + bin +
                                  "bank2.bin' -binary -offset 0x398000 -o '" + (dir / "srec_cat.sx") + "'";
        ASSERT_EQ(std::system(merge.c_str()), 0);
        EXPECT_EQ(std::system(("srec_cmp " + composed + " '" + (dir / "srec_cat.sx") + "'").c_str()), 0);
        const std::string out = NewFile();
        const std::string end =
            ReadText(settings.baseFirmware).substr(ReadText(settings.baseFirmware).rfind("\nS") + 1);
        EXPECT_EQ(out.substr(out.rfind("\nS") + 1), end.substr(0, end.find_first_of("\r\n")) + "\r\n");
    }
}

}  // namespace
}  // namespace kestrova
