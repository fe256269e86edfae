#include "core/project/project_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <thread>

#include "core/project/error.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

TEST(ProjectLock, ASecondWriterWaitsThenRefusesWithTheBusyMessage) {
    TempDir project;
    std::optional<ProjectLock> first(std::in_place, project.path(), 0ms);
    EXPECT_TRUE(first->Held());
    EXPECT_TRUE(std::filesystem::exists(project / ".kestrova.lock"));
    try {
        ProjectLock second(project.path(), 50ms);
        FAIL() << "the second lock was had while the first was held";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Another program is changing the project " + project.path() +
                                                 "; nothing was written. Try again when it has finished.");
    }
    first.reset();
    EXPECT_TRUE(ProjectLock(project.path(), 0ms).Held());
}

TEST(ProjectLock, AWaitingWriterGetsTheLockOnceTheHolderIsDone) {
    TempDir project;
    auto first = std::make_unique<ProjectLock>(project.path(), 0ms);
    std::thread release([&] {
        std::this_thread::sleep_for(100ms);
        first.reset();
    });
    EXPECT_NO_THROW(ProjectLock(project.path(), 10s));
    release.join();
}

TEST(ProjectLock, NoProjectFolderNeverLocksTheFileSystemRoot) {
    EXPECT_THROW(ProjectLock(""), Error);
    TempDir parent;
    const ProjectLock missing(parent / "gone", 0ms);  // nothing can be written there either
    EXPECT_FALSE(missing.Held());
    EXPECT_FALSE(std::filesystem::exists(parent / "gone"));
}

}  // namespace
}  // namespace kestrova
