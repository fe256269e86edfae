#include "core/device/updater.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(UpdaterParameterText, ExampleWithProjectClear) {
    UpdateOptions options;
    options.project = false;
    EXPECT_EQ(UpdaterParameterText("ttyS2", options, "/T/MASTER", "/T/PROJECTS/P1"),
              "/dev/ttyS2 FW FR NO PR \"/T/MASTER/sim48120.sim\" \"/T/PROJECTS/P1/bin/\"");
}

TEST(UpdaterParameterText, AllOptionsClearAndBlanksInPaths) {
    UpdateOptions options{false, false, false, false};
    EXPECT_EQ(UpdaterParameterText("ttyUSB12", options, "/my tools/MASTER", "/my tools/PROJECTS/a b"),
              "/dev/ttyUSB12 NO NO NO NO \"/my tools/MASTER/sim48120.sim\" \"/my tools/PROJECTS/a b/bin/\"");
    EXPECT_EQ(UpdaterParameterText("ttyS0", UpdateOptions{}, "/m", "/p"),
              "/dev/ttyS0 FW FR PW PR \"/m/sim48120.sim\" \"/p/bin/\"");
}

TEST(UpdaterParameterText, ProgramBesideTheExecutable) {
    EXPECT_EQ(UpdaterProgramPath("/opt/kestrova/bin"), "/opt/kestrova/bin/Ser_48120_Update");
}

TEST(UpdaterOutcomeMessage, WhatTheUserIsTold) {
    const auto limit = kRunAndWaitLimit;
    RunOutcome outcome;
    outcome.state = RunOutcome::State::NotStarted;
    outcome.error = ENOENT;
    auto message = UpdaterOutcomeMessage(outcome, "/x/Ser_48120_Update", limit);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->kind, MessageKind::Error);
    EXPECT_EQ(message->text, "The updater \"/x/Ser_48120_Update\" cannot be started: No such file or directory");

    outcome.state = RunOutcome::State::StillRunning;
    message = UpdaterOutcomeMessage(outcome, "/x/u", limit);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "The updater is still running after 150 seconds; the tool no longer waits for it.");

    outcome.state = RunOutcome::State::Exited;
    outcome.code = 0;
    EXPECT_FALSE(UpdaterOutcomeMessage(outcome, "/x/u", limit));
    outcome.code = 2;
    message = UpdaterOutcomeMessage(outcome, "/x/u", limit);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "The updater ended with exit code 2.");

    outcome.state = RunOutcome::State::Signalled;
    outcome.code = 9;
    message = UpdaterOutcomeMessage(outcome, "/x/u", limit);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text.rfind("The updater was ended by signal 9 (", 0), 0u);
}

TEST(UpdaterProgressText, SecondsRunAndTheLimit) {
    EXPECT_EQ(UpdaterProgressText(std::chrono::milliseconds(12999), kRunAndWaitLimit),
              "The updater is running: 12 s of at most 150 s.");
}

}  // namespace
}  // namespace kestrova
