#include "core/canopen/xls_sheet_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <random>
#include <string>

#include "core/canopen/spreadsheet_import.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;

std::string Fixture(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

// A stand-in for the reader: a shell script running `body`.
std::string FakeReader(const testing::TempDir& dir, const std::string& body) {
    const std::string path = dir / "fake-reader";
    testing::WriteText(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

TEST(XlsSheetReader, TheBuiltReaderIsFoundBesideTheProgram) {
    EXPECT_EQ(XlsReaderPath().substr(XlsReaderPath().rfind('/') + 1), kXlsReaderProgramName);
    const auto sheet = ReadXlsSheet(XlsReaderPath(), Fixture("canopen.xls"), "SDO");
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->width, 8u);
    EXPECT_EQ(sheet->rows.at(1).at(1), "0x2000");
    EXPECT_FALSE(ReadXlsSheet(XlsReaderPath(), Fixture("canopen.xls"), "nothing"));
}

TEST(XlsSheetReader, AReaderThatCrashesHangsOrBabblesIsAFailureNotACrash) {
    testing::TempDir dir;
    const std::string workbook = Fixture("canopen.xls");
    const std::string failed = "the workbook could not be read (FreeXL failed: ";
    for (const auto& [body, reason] : std::vector<std::pair<std::string, std::string>>{
             {"kill -SEGV $$", "SIGSEGV)"},
             {"kill -ABRT $$", "SIGABRT)"},
             {"exit 3", "exit code 3)"},
             {"printf 'S\\001\\000\\000\\000'", "broken answer)"},  // cut short
             {"printf 'Q'", "broken answer)"},
             {"printf 'S\\377\\377\\377\\377\\377\\377\\377\\377E'", "broken answer)"},
             {"printf 'S\\001\\000\\000\\000\\001\\000\\000\\000T\\377\\377\\377\\377E'", "broken answer)"},
             {"exec sleep 30", "no answer within 0 s)"},
         }) {
        const std::string reader = FakeReader(dir, body);
        EXPECT_EQ(ErrorText([&] { ReadXlsSheet(reader, workbook, "sdo", std::chrono::milliseconds(300)); }),
                  failed + reason)
            << body;
    }
    EXPECT_EQ(ErrorText([&] { ReadXlsSheet(dir / "absent", workbook, "sdo"); }),
              failed + "the reading program " + dir / "absent" + " cannot be started: No such file or directory)");
}

// Damaged copies of the fixture workbooks (bytes changed, cut short, blocks repeated) go through
// the whole import: each is imported or refused with the import's message, and the program
// running the import is never harmed, whatever the reader does with them.
TEST(XlsSheetReader, MutatedWorkbooksAreImportedOrRefusedCleanly) {
    testing::TempDir dir;
    std::mt19937 random(20261209);
    size_t refused = 0;
    const std::string original = testing::ReadText(Fixture("canopen.xls"));
    for (int round = 0; round < 64; ++round) {
        std::string bytes = original;
        switch (round % 4) {
            case 0:
                for (int i = 0; i < 8; ++i) bytes[random() % bytes.size()] = char(random());
                break;
            case 1:
                bytes.resize(random() % bytes.size());
                break;
            case 2: {
                const size_t at = 512 + random() % (bytes.size() - 512);
                for (int i = 0; i < 4 && at + i < bytes.size(); ++i) bytes[at + i] = char(0xFF);
                break;
            }
            default: {
                const size_t at = random() % bytes.size();
                bytes.insert(at, bytes.substr(random() % bytes.size(), 64));
            }
        }
        const std::string workbook = dir / "mutated.xls";
        testing::WriteText(workbook, bytes);
        const std::string message = ErrorText([&] {
            ReadSpreadsheetSheet(workbook, "sdo", [](const SpreadsheetRecord& record) {
                for (size_t i = 0; i < record.Size(); ++i) record.Text(i);
            });
        });
        if (message.empty()) continue;
        ++refused;
        EXPECT_EQ(message.rfind("Import of sheet \"sdo\" from " + workbook + " stopped", 0), 0u) << message;
    }
    EXPECT_GT(refused, 0u);
}

}  // namespace
}  // namespace kestrova
