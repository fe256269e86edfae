#include "core/device/run_and_wait.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "support/temp_dir.h"

namespace kestrova {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksQuotesAndBackslashes) {
    EXPECT_EQ(SplitCommandLine(""), Args{});
    EXPECT_EQ(SplitCommandLine("  \t "), Args{});
    EXPECT_EQ(SplitCommandLine("a  b\tc"), (Args{"a", "b", "c"}));
    EXPECT_EQ(SplitCommandLine("\"a b\" c"), (Args{"a b", "c"}));
    EXPECT_EQ(SplitCommandLine("x\"a b\"y"), (Args{"xa by"}));
    EXPECT_EQ(SplitCommandLine("\"\" b"), (Args{"", "b"}));
    EXPECT_EQ(SplitCommandLine(R"(a\b c\\d)"), (Args{R"(a\b)", R"(c\\d)"}));
    EXPECT_EQ(SplitCommandLine(R"(a\"b)"), (Args{R"(a"b)"}));         // odd: a literal mark
    EXPECT_EQ(SplitCommandLine(R"("a\\" b)"), (Args{R"(a\)", "b"}));  // even: halved, mark closes
    EXPECT_EQ(SplitCommandLine(R"(a\\\"b)"), (Args{R"(a\"b)"}));
    EXPECT_EQ(SplitCommandLine(R"("a""b" c)"), (Args{R"(a"b)", "c"}));
    EXPECT_EQ(SplitCommandLine("\"open to the end"), (Args{"open to the end"}));
}

class RunAndWaitTest : public ::testing::Test {
protected:
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = dir / name;
        testing::WriteText(path, "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }
    testing::TempDir dir;
};

TEST_F(RunAndWaitTest, ArgumentsExactlyAsTheParameterTextSays) {
    const std::string program =
        Script("up date", "for a in \"$0\" \"$@\"; do printf '%s|\\n' \"$a\"; done > \"$(dirname \"$0\")/args.txt\"");
    const RunOutcome outcome =
        RunAndWait(program, R"(/dev/pts/3 NO NO PW PR "/a b/MASTER/sim48120.sim" "/a b/PROJECTS/P 1/bin/")", false);
    EXPECT_EQ(outcome.state, RunOutcome::State::Exited);
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(testing::ReadText(dir / "args.txt"), program +
                                                       "|\n/dev/pts/3|\nNO|\nNO|\nPW|\nPR|\n/a b/MASTER/sim48120.sim|\n"
                                                       "/a b/PROJECTS/P 1/bin/|\n");
}

TEST_F(RunAndWaitTest, ExitCodeAndSignalAreReported) {
    RunOutcome outcome = RunAndWait(Script("three", "exit 3"), "", true);
    EXPECT_EQ(outcome.state, RunOutcome::State::Exited);
    EXPECT_EQ(outcome.code, 3);
    outcome = RunAndWait(Script("killed", "kill -TERM $$"), "", false);
    EXPECT_EQ(outcome.state, RunOutcome::State::Signalled);
    EXPECT_EQ(outcome.code, SIGTERM);
}

TEST_F(RunAndWaitTest, AProgramPastTheLimitIsLeftRunning) {
    const std::string program = Script("slow", "exec sleep 60");
    std::chrono::milliseconds lastTick{-1};
    const RunOutcome outcome =
        RunAndWait(program, "", false, std::chrono::milliseconds(50), [&](std::chrono::milliseconds elapsed) {
            EXPECT_GE(elapsed, lastTick);
            lastTick = elapsed;
        });
    ASSERT_EQ(outcome.state, RunOutcome::State::StillRunning);
    ASSERT_GT(outcome.pid, 0);
    EXPECT_EQ(::kill(outcome.pid, 0), 0);  // still there
    ::kill(outcome.pid, SIGKILL);
    // Once it ends it is reaped without another run: no zombie is left (a zombie still takes signals).
    bool gone = false;
    for (int wait = 0; wait < 500 && !gone; ++wait) {
        gone = ::kill(outcome.pid, 0) != 0 && errno == ESRCH;
        if (!gone) ::usleep(10000);
    }
    EXPECT_TRUE(gone);
}

TEST_F(RunAndWaitTest, MissingOrUnstartableProgramIsNotStarted) {
    RunOutcome outcome = RunAndWait(dir / "missing", "a b", false);
    EXPECT_EQ(outcome.state, RunOutcome::State::NotStarted);
    EXPECT_EQ(outcome.error, ENOENT);

    testing::WriteText(dir / "plain", "not a program");
    outcome = RunAndWait(dir / "plain", "", false);
    EXPECT_EQ(outcome.state, RunOutcome::State::NotStarted);
    EXPECT_EQ(outcome.error, EACCES);
}

}  // namespace
}  // namespace kestrova
