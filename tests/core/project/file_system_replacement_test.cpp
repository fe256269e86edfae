// Replacing several files together: all new contents or none.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "core/project/file_system.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

std::vector<std::string> Entries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t Mode(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(ReplaceFilesTogether, ReplacesEveryFileKeepingItsPermissions) {
    TempDir dir;
    WriteText(dir / "a.xml", "old a");
    ::chmod((dir / "a.xml").c_str(), 0600);
    ReplaceFilesTogether({{dir / "a.xml", "new a"}, {dir / "b.xml", "new b"}});
    EXPECT_EQ(ReadText(dir / "a.xml"), "new a");
    EXPECT_EQ(ReadText(dir / "b.xml"), "new b");
    EXPECT_EQ(Mode(dir / "a.xml"), 0600u);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"a.xml", "b.xml"}));  // nothing kept aside
}

TEST(ReplaceFilesTogether, AFailedRenamePutsBackTheFilesAlreadyReplaced) {
    for (const bool firstExisted : {true, false}) {
        TempDir dir;
        if (firstExisted) WriteText(dir / "a.xml", "old a");
        WriteText(dir / "b.xml", "old b");
        std::filesystem::create_directories(dir / "c.xml/inside");  // a folder is never replaced by a file
        EXPECT_EQ(ErrorText([&] {
                      ReplaceFilesTogether({{dir / "a.xml", "new a"}, {dir / "b.xml", "new b"}, {dir / "c.xml", "c"}});
                  }),
                  "Cannot replace file " + dir / "c.xml: Is a directory. " + dir / "a.xml and " +
                      dir / "b.xml were put back as they were: no file was changed.");
        EXPECT_EQ(FileExists(dir / "a.xml"), firstExisted);
        EXPECT_EQ(ReadText(dir / "a.xml"), firstExisted ? "old a" : "");
        EXPECT_EQ(ReadText(dir / "b.xml"), "old b");
        EXPECT_EQ(Entries(dir).size(), firstExisted ? 3u : 2u);  // no temporary or kept file left
    }
}

TEST(ReplaceFilesTogether, AFileThatCannotBeWrittenChangesNothing) {
    TempDir dir;
    WriteText(dir / "a.xml", "old a");
    WriteText(dir / "b.xml", "old b");
    ::chmod((dir / "b.xml").c_str(), 0444);
    EXPECT_EQ(ErrorText([&] {
                  ReplaceFilesTogether({{dir / "a.xml", "new a"}, {dir / "b.xml", "new b"}});
              }),
              dir / "b.xml is write-protected. No file was changed.");
    EXPECT_EQ(ReadText(dir / "a.xml"), "old a");
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"a.xml", "b.xml"}));
    EXPECT_NE(ErrorText([&] { ReplaceFilesTogether({{dir / "a.xml", "new a"}, {dir / "no/b.xml", "b"}}); }), "");
    EXPECT_EQ(ReadText(dir / "a.xml"), "old a");
}

}  // namespace
}  // namespace kestrova
