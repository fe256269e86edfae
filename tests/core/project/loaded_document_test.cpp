#include "core/project/loaded_document.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/project/error.h"
#include "core/project/file_system.h"
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

TEST_F(SaveLoaded, AnUnchangedDocumentIsWrittenWithoutAQuestion) {
    WriteText(path, "<r/>");
    EXPECT_TRUE(Save(LoadedDocument(path)));
    EXPECT_TRUE(written);
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(SaveLoaded, AChangedDocumentIsOverwrittenOnlyAfterYes) {
    WriteText(path, "<r/>");
    const LoadedDocument loaded(path);
    WriteText(path, "<r><row/></r>");
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
    EXPECT_THROW(
        {
            try {
                Save(loaded, 30ms);
            } catch (const Error& error) {
                EXPECT_EQ(std::string(error.what()), ProjectBusyMessage(project.path()));
                throw;
            }
        },
        Error);
    EXPECT_FALSE(written);
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST(RowsRead, TheQuestionAndTheRefusalSayWhatIsKeptAndLost) {
    RowsRead whole;
    whole.kept = 4;
    RowsRead stopped;
    stopped.kept = 2;
    stopped.StopAt(5);
    RowsRead unread;
    unread.StopUnread();
    RowsRead oneDropped;
    oneDropped.kept = 3;
    oneDropped.dropped = 1;
    EXPECT_TRUE(whole.Whole());
    EXPECT_FALSE(stopped.Whole());
    EXPECT_FALSE(oneDropped.Whole());
    EXPECT_EQ(PartlyReadQuestion("/p/emcydef.xml", stopped),
              "/p/emcydef.xml was read only in part (2 rows kept, 3 dropped). Writing now removes the others. Write "
              "anyway?");
    EXPECT_EQ(PartlyReadQuestion("/p/emcydef.xml", unread),
              "/p/emcydef.xml was read only in part (0 rows kept, all dropped). Writing now removes the others. Write "
              "anyway?");
    EXPECT_EQ(PartlyReadRefusal("/p/sdopdo.xml", stopped),
              "/p/sdopdo.xml was read only in part (2 rows kept, 3 dropped): saving would lose 3 rows; nothing was "
              "written");
    EXPECT_EQ(PartlyReadRefusal("/p/sdopdo.xml", oneDropped),
              "/p/sdopdo.xml was read only in part (3 rows kept, 1 dropped): saving would lose 1 row; nothing was "
              "written");
    EXPECT_EQ(PartlyReadRefusal("/p/sdopdo.xml", unread),
              "/p/sdopdo.xml was read only in part (0 rows kept, all dropped): saving would lose all its rows; "
              "nothing was written");

    RecordingDialogs dialogs;
    EXPECT_TRUE(MayWritePartlyRead(dialogs, "/p/x.xml", whole));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_FALSE(MayWritePartlyRead(dialogs, "/p/x.xml", stopped));  // No is the default
    dialogs.yesNoAnswers = {true};
    EXPECT_TRUE(MayWritePartlyRead(dialogs, "/p/x.xml", stopped));
    EXPECT_EQ(dialogs.questions.size(), 2u);
}

}  // namespace
}  // namespace kestrova
