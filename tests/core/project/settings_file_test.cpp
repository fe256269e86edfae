#include "core/project/settings_file.h"

#include "core/project/error.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

TEST(SettingsFile, MissingFileSectionOrKeyReadsEmpty) {
    TempDir dir;
    const auto path = dir / "settings.ini";
    EXPECT_EQ(ReadSettingsString(path, "lastproj", "projectname"), "");
    WriteText(path, "[other]\nprojectname=X\n");
    EXPECT_EQ(ReadSettingsString(path, "lastproj", "projectname"), "");
    WriteText(path, "[lastproj]\nother=X\n");
    EXPECT_EQ(ReadSettingsString(path, "lastproj", "projectname"), "");
}

TEST(SettingsFile, ReadsKeyOfItsOwnSectionOnly) {
    TempDir dir;
    const auto path = dir / "settings.ini";
    WriteText(path, "[a]\r\nprojectname=wrong\r\n[LastProj]\r\nProjectName=\\Demo\\Sub\r\n");
    EXPECT_EQ(ReadSettingsString(path, "lastproj", "projectname"), "\\Demo\\Sub");
}

TEST(SettingsFile, WriteCreatesFileAndSection) {
    TempDir dir;
    const auto path = dir / "settings.ini";
    WriteSettingsString(path, "lastproj", "projectname", "/Demo");
    EXPECT_EQ(ReadText(path), "[lastproj]\nprojectname=/Demo\n");
    EXPECT_EQ(ReadSettingsString(path, "lastproj", "projectname"), "/Demo");
}

TEST(SettingsFile, WriteKeepsEveryOtherLine) {
    TempDir dir;
    const auto path = dir / "settings.ini";
    WriteText(path, "; comment\r\n[view]\r\nwidth=3\r\n[lastproj]\r\nprojectname=/Old\r\nkeep=1\r\n\r\n[tail]\r\nx=y\r\n");
    WriteSettingsString(path, "lastproj", "projectname", "");
    EXPECT_EQ(ReadText(path),
              "; comment\r\n[view]\r\nwidth=3\r\n[lastproj]\r\nprojectname=\r\nkeep=1\r\n\r\n[tail]\r\nx=y\r\n");

    WriteText(path, "[lastproj]\nkeep=1\n\n[tail]\nx=y\n");
    WriteSettingsString(path, "lastproj", "projectname", "/New");
    EXPECT_EQ(ReadText(path), "[lastproj]\nkeep=1\nprojectname=/New\n\n[tail]\nx=y\n");
}

TEST(SettingsFile, UnwritablePlaceIsReported) {
    TempDir dir;
    const auto path = dir / "missing/settings.ini";
    EXPECT_EQ(ErrorText([&] { WriteSettingsString(path, "lastproj", "projectname", "/Demo"); }),
              "Unable to write to " + path);
}

}  // namespace
}  // namespace kestrova
