#include "core/device/updater.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(UpdaterParameterText, OneWordPerOptionThenTheQuotedPaths) {
    const struct {
        UpdateOptions options;
        std::string port, master, project, expected;
    } cases[] = {
        {{true, true, false, true}, "ttyS2", "/T/MASTER", "/T/PROJECTS/P1",
         R"(/dev/ttyS2 FW FR NO PR "/T/MASTER/sim48120.sim" "/T/PROJECTS/P1/bin/")"},
        {{false, false, false, false}, "ttyUSB12", "/my tools/MASTER", "/my tools/PROJECTS/a b",
         R"(/dev/ttyUSB12 NO NO NO NO "/my tools/MASTER/sim48120.sim" "/my tools/PROJECTS/a b/bin/")"},
        {{}, "ttyS0", "/m", "/p", R"(/dev/ttyS0 FW FR PW PR "/m/sim48120.sim" "/p/bin/")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UpdaterParameterText(c.port, c.options, c.master + "/sim48120.sim", c.project), c.expected) << c.port;
}

TEST(UpdaterOutcomeMessage, WhatTheUserIsTold) {
    const auto Outcome = [](RunOutcome::State state, int code, int error = 0) {
        RunOutcome outcome;
        outcome.state = state;
        outcome.code = code;
        outcome.error = error;
        return UpdaterOutcomeMessage(outcome, "/x/Ser_48120_Update", kRunAndWaitLimit);
    };
    auto message = Outcome(RunOutcome::State::NotStarted, 0, ENOENT);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->kind, MessageKind::Error);
    EXPECT_EQ(message->text, "The updater \"/x/Ser_48120_Update\" cannot be started: No such file or directory");
    message = Outcome(RunOutcome::State::StillRunning, 0);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "The updater is still running after 150 seconds; the tool no longer waits for it.");
    EXPECT_FALSE(Outcome(RunOutcome::State::Exited, 0));
    message = Outcome(RunOutcome::State::Exited, 2);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "The updater ended with exit code 2.");
    message = Outcome(RunOutcome::State::Signalled, 9);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text.rfind("The updater was ended by signal 9 (", 0), 0u);
}

TEST(UpdaterProgressText, WholeSecondsRunAndTheLimit) {
    EXPECT_EQ(UpdaterProgressText(std::chrono::milliseconds(12999), kRunAndWaitLimit),
              "The updater is running: 12 s of at most 150 s.");
}

}  // namespace
}  // namespace kestrova
