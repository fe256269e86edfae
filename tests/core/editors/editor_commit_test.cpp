#include "core/editors/editor_commit.h"

#include <gtest/gtest.h>

#include "core/project/error.h"
#include "support/recording_dialogs.h"

namespace kestrova {
namespace {

using testing::RecordingDialogs;

TEST(CommitEdits, AFailedCheckShowsAnErrorBoxAndWritesNothing) {
    RecordingDialogs dialogs;
    bool written = false;
    EXPECT_FALSE(CommitEdits(dialogs, std::string("Error!! bad. "), [&] { written = true; }));
    EXPECT_FALSE(written);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].text, "Error!! bad. ");
}

TEST(CommitEdits, AFailedWriteIsShownWithItsReasonAndKeepsTheEditorOpen) {
    RecordingDialogs dialogs;
    EXPECT_FALSE(CommitEdits(dialogs, std::nullopt, [] { throw Error("Permission denied"); }));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(dialogs.messages[0].text, "Permission denied");
}

TEST(CommitEdits, PassedChecksWriteAndLetTheEditorClose) {
    RecordingDialogs dialogs;
    bool written = false;
    EXPECT_TRUE(CommitEdits(dialogs, std::nullopt, [&] { written = true; }));
    EXPECT_TRUE(written);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(LoadForShowing, AnUnreadableDocumentIsReportedAndTheEditorStaysClosed) {
    RecordingDialogs dialogs;
    EXPECT_FALSE(LoadForShowing(dialogs, [] { throw Error("The file x is not valid XML"); }));
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"The file x is not valid XML"}));
    EXPECT_TRUE(LoadForShowing(dialogs, [] {}));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
}  // namespace kestrova
