#include "core/project/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/project/error.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

mode_t Permissions(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(WriteFileReplacing, ReplacedFileKeepsItsPermissionBits) {
    TempDir dir;
    const auto path = dir / "Receive_Frame.xml";
    for (const mode_t mode : {0600, 0640, 0664, 0200}) {
        WriteText(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        WriteFileReplacing(path, "new");
        EXPECT_EQ(ReadText(path), "new") << std::oct << mode;
        EXPECT_EQ(Permissions(path), mode) << std::oct << mode;
    }
}

TEST(WriteFileReplacing, FileWithoutAnyWriteBitIsRefusedAndLeftAsItWas) {
    TempDir dir;
    const auto path = dir / "Send_Frame.xml";
    for (const mode_t mode : {0444, 0400, 0555, 0000}) {
        WriteText(path, "kept");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        EXPECT_EQ(ErrorText([&] { WriteFileReplacing(path, "lost"); }), path + " is write-protected");
        EXPECT_EQ(Permissions(path), mode);
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        EXPECT_EQ(ReadText(path), "kept") << std::oct << mode;
    }
    EXPECT_EQ(::access((dir / ("Send_Frame.xml.tmp-" + std::to_string(::getpid()))).c_str(), F_OK), -1);
}

}  // namespace
}  // namespace kestrova
