// kestrova-cli compose on a generated project.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "core/device/srecord_composer.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

class ComposeCli : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;

    void SetUp() override {
        std::filesystem::create_directories(dir / "P 1/bin");
        std::string base;
        const std::string data(kestrova::kRecordDataBytes, '\x5A');
        for (std::uint32_t address = 0x388000; address < 0x39C000; address += 0x800)
            base += kestrova::S2RecordLine(address, reinterpret_cast<const std::uint8_t*>(data.data()));
        WriteText(dir / "base.sx", base + "S9030000FC\r\n");
        WriteText(dir / "P 1/bin/bank1.bin", std::string(kestrova::kBankSize, '\x01'));
        WriteText(dir / "P 1/bin/bank2.bin", "\x02");
    }
    int Run(const std::string& arguments) {
        const int raw = std::system(("'" KESTROVA_CLI_PATH "' compose '" + (dir / "P 1") + "' " + arguments + " >'" +
                                     (dir / "out") + "' 2>'" + (dir / "err") + "'")
                                        .c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

TEST_F(ComposeCli, WritesWhatTheWindowsComposerWrites) {
    ASSERT_EQ(Run("--base '" + (dir / "base.sx") + "'"), 0) << ReadText(dir / "err");
    EXPECT_EQ(ReadText(dir / "out"),
              "bank 1: inserted, 512 records from 0x388000\nbank 2: inserted, 512 records from 0x398000\n"
              "bank 3: not selected\nbank 4: not selected\nbank 5: not selected\n"
              "new firmware written to " +
                  (dir / "P 1/New_base.sx") + "\n");
    kestrova::ComposerSettings settings;
    settings.baseFirmware = dir / "base.sx";
    settings.projectDirectory = dir / "P 1/";
    settings.bankDirectory = dir / "P 1/bin/";
    settings.newFileName = "window.sx";
    settings.banks = {true, true, false, false, false};
    kestrova::testing::RecordingDialogs dialogs;
    ASSERT_TRUE(kestrova::ComposeFirmware(settings, dialogs).produced);
    EXPECT_EQ(ReadText(dir / "P 1/New_base.sx"), ReadText(dir / "P 1/window.sx"));
}

TEST_F(ComposeCli, OptionsAndRefusals) {
    ASSERT_EQ(Run("--base '" + (dir / "base.sx") + "' --banks 2 --out two.sx --bin-dir '" + (dir / "P 1/bin") + "'"),
              0);
    EXPECT_EQ(ReadText(dir / "out").substr(0, 65),
              "bank 1: not selected\nbank 2: inserted, 512 records from 0x398000\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "P 1/two.sx"));
    for (const char* banks : {"6", "1,1", "1;2", "x"})
        EXPECT_EQ(Run(std::string("--banks '") + banks + "'"), 2) << banks;
    EXPECT_EQ(Run("--base '" + (dir / "missing.sx") + "'"), 1);
    EXPECT_EQ(ReadText(dir / "out"), "bank 1: failed, composition stopped\n");
    EXPECT_EQ(ReadText(dir / "err"), "File *.Sx Not Found,Abort Procedure\n");
}

}  // namespace
