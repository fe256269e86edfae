#include "core/project/loaded_document.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/project/error.h"
#include "core/project/file_system.h"
#include "support/error_text.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using namespace std::chrono_literals;
using testing::ReadText;
using testing::RecordingDialogs;
using testing::TempDir;
using testing::WriteText;

TEST(LoadedDocument, NoticesEveryWayAnotherProgramChangesTheFile) {
    struct Case {
        const char* what;
        bool existsAtShow;
        void (*change)(const std::string& path);
        bool changed;
    };
    const Case cases[] = {
        {"untouched", true, [](const std::string&) {}, false},
        {"read only", true, [](const std::string& path) { (void)ReadText(path); }, false},
        {"rewritten in place, same size", true,
         [](const std::string& path) { WriteText(path, "<r><row a=\"2\"/></r>"); }, true},
        {"replaced by rename, same text", true,
         [](const std::string& path) { WriteFileReplacing(path, "<r><row a=\"1\"/></r>"); }, true},
        {"deleted", true, [](const std::string& path) { std::remove(path.c_str()); }, true},
        {"created", false, [](const std::string& path) { WriteText(path, "<r/>"); }, true},
        {"still missing", false, [](const std::string&) {}, false},
    };
    for (const Case& test : cases) {
        TempDir project;
        const std::string path = project / "emcydef.xml";
        if (test.existsAtShow) WriteText(path, "<r><row a=\"1\"/></r>");
        const LoadedDocument loaded(path);
        test.change(path);
        EXPECT_EQ(loaded.ChangedOnDisk(), test.changed) << test.what;
    }
}

class SaveLoaded : public ::testing::Test {
protected:
    TempDir project;
    std::string path = project / "Receive_Frame.xml";
    RecordingDialogs dialogs;
    bool written = false;

    bool Save(const LoadedDocument& loaded, std::chrono::milliseconds wait = kProjectLockWait) {
        return SaveLoadedDocument(
            dialogs, project.path(), loaded, [&] { written = true; }, wait);
    }
};

TEST_F(SaveLoaded, AChangedDocumentIsOverwrittenOnlyAfterYes) {
    WriteText(path, "<r/>");
    EXPECT_TRUE(Save(LoadedDocument(path)));  // unchanged: no question
    EXPECT_TRUE(dialogs.questions.empty());
    const LoadedDocument loaded(path);
    WriteText(path, "<r><row/></r>");
    written = false;
    EXPECT_FALSE(Save(loaded));  // no answer is No
    EXPECT_FALSE(written);
    EXPECT_EQ(dialogs.questions, std::vector<std::string>{"The file " + path +
                                                          " was changed by another program since it was opened. "
                                                          "Overwrite it?"});
    dialogs.yesNoAnswers = {true};
    EXPECT_TRUE(Save(loaded));
    EXPECT_TRUE(written);
}

TEST_F(SaveLoaded, ABusyProjectIsRefusedBeforeTheQuestionAndTheWrite) {
    WriteText(path, "<r/>");
    const LoadedDocument loaded(path);
    WriteText(path, "<r><row/></r>");
    const ProjectLock other(project.path(), 0ms);
    EXPECT_EQ(testing::ErrorText([&] { Save(loaded, 30ms); }), ProjectBusyMessage(project.path()));
    EXPECT_FALSE(written);
    EXPECT_TRUE(dialogs.questions.empty());
}

// The windows' question and the command line's refusal when every row was lost or one was.
TEST(RowsRead, TheQuestionAndTheRefusalSayWhatIsLost) {
    RowsRead unread;
    unread.StopUnread();
    RowsRead oneDropped;
    oneDropped.kept = 3;
    oneDropped.dropped = 1;
    EXPECT_EQ(PartlyReadQuestion("/p/emcydef.xml", unread),
              "/p/emcydef.xml was read only in part (0 rows kept, all dropped). Writing now removes the others. Write "
              "anyway?");
    EXPECT_EQ(PartlyReadRefusal("/p/sdopdo.xml", unread),
              "/p/sdopdo.xml was read only in part (0 rows kept, all dropped): saving would lose all its rows; "
              "nothing was written");
    EXPECT_EQ(PartlyReadRefusal("/p/sdopdo.xml", oneDropped),
              "/p/sdopdo.xml was read only in part (3 rows kept, 1 dropped): saving would lose 1 row; nothing was "
              "written");
}

}  // namespace
}  // namespace kestrova
