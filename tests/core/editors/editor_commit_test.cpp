#include "core/editors/editor_commit.h"

#include <gtest/gtest.h>

#include "core/project/error.h"
#include "support/recording_dialogs.h"

namespace kestrova {
namespace {

using testing::RecordingDialogs;

TEST(CommitEdits, AFailedCheckOrWriteKeepsTheEditorOpenAndPassedChecksWrite) {
    RecordingDialogs dialogs;
    bool written = false;
    EXPECT_FALSE(CommitEdits(dialogs, std::string("Error!! bad. "), [&] { written = true; }));
    EXPECT_FALSE(written);
    EXPECT_FALSE(CommitEdits(dialogs, std::nullopt, [] { throw Error("Permission denied"); }));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].text, "Error!! bad. ");
    EXPECT_EQ(dialogs.messages[1].kind, MessageKind::Plain);
    EXPECT_EQ(dialogs.messages[1].text, "Permission denied");
    EXPECT_TRUE(CommitEdits(dialogs, std::nullopt, [&] { written = true; }));
    EXPECT_TRUE(written);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST(LoadForShowing, AnUnreadableDocumentIsReportedAndTheEditorStaysClosed) {
    RecordingDialogs dialogs;
    EXPECT_FALSE(LoadForShowing(dialogs, [] { throw Error("The file x is not valid XML"); }));
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"The file x is not valid XML"}));
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(LoadForShowing(dialogs, [] {}));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
}  // namespace kestrova
