#include "gui/editors/frame_mapping_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "core/project/file_system.h"
#include "grid_typing.h"
#include "gui/editors/receive_info_window.h"
#include "gui/editors/send_info_window.h"

namespace kestrova {
namespace {

const char* const kTwoFrames = "<F><row COBID=\"A\" Dim=\"8\"/><row COBID=\"B\" Dim=\"3\"/></F>";

// The window on a project with frames A (8 bytes) and B (3 bytes), shown as the active one
// so that the focus moves between its fields as a user's does.
template <typename Window>
struct ActiveEditor : testing::EditorOnProject<Window> {
    bool Show() {
        testing::WriteText(this->context.documents.*this->window.Kind().frameList, kTwoFrames);
        if (!this->window.Reload()) return false;
        this->window.show();
        this->window.activateWindow();
        return QTest::qWaitForWindowActive(&this->window);
    }
    // Replaces the text of byte field k by typing.
    void Type(int byte, const QString& text) {
        QLineEdit* field = this->window.ByteField(byte);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    int Target(size_t frame, int byte) const { return this->window.Frames()[frame].targets[byte - 1]; }
};

std::string Refusal(int byte) {
    return "Error Byte " + std::to_string(byte) + "!! Value have to be between 0 to 127 or none. ";
}

}  // namespace

class FrameMappingWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ReceiveFieldsAreTakenOnLeavingThemAndOkRefusesSharedPositions() {
        ActiveEditor<TF_Rec_Info> editor;
        auto& window = editor.window;
        QVERIFY(editor.Show());
        editor.Type(1, "5 ");
        QCOMPARE(editor.Target(0, 1), int(kNoPosition));  // not while the field has the focus
        window.FrameList()->setFocus();
        QCOMPARE(editor.Target(0, 1), 5);

        window.FrameList()->setCurrentRow(1);
        QVERIFY(window.ByteField(3)->isEnabled() && window.NotInUse(3)->isHidden());
        QVERIFY(!window.ByteField(4)->isEnabled() && window.NotInUse(4)->isVisible());
        editor.Type(3, "5");
        editor.Type(2, "128");
        window.FrameList()->setFocus();
        QCOMPARE(editor.dialogs.Texts(), std::vector<std::string>{Refusal(2)});
        QCOMPARE(window.focusWidget(), window.ByteField(2));
        QCOMPARE(editor.Target(1, 3), 5);

        editor.Type(2, "None");
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(editor.LastMessage(),
                 std::string("Error!! The Byte 5 is used in COB ID B in Byte 3 and in COB ID A in Byte 1 "));
        QVERIFY(window.isVisible() && !FileExists(editor.context.documents.receiveInfo));

        editor.Type(3, "127");
        QTest::keyClick(window.ByteField(3), Qt::Key_Return);  // takes the field, does not close
        QVERIFY(window.isVisible());
        QCOMPARE(editor.Target(1, 3), 127);
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(editor.dialogs.messages.size(), size_t{2});
        QVERIFY(testing::ReadText(editor.context.documents.receiveInfo).find("<row B1=\"255\" B2=\"255\" B3=\"127\"") !=
                std::string::npos);
    }

    void SendFieldsAreCheckedAtEveryKeystrokeAndMayShareAPosition() {
        ActiveEditor<TF_Sen_Info> editor;
        QVERIFY(editor.Show());
        editor.Type(1, "12");
        QVERIFY(editor.dialogs.messages.empty());
        QCOMPARE(editor.Target(0, 1), 12);
        editor.Type(2, "20");
        QTest::keyClicks(editor.window.ByteField(2), "0");
        QCOMPARE(editor.dialogs.Texts(), std::vector<std::string>{Refusal(2)});
        QCOMPARE(editor.Target(0, 2), 20);
        editor.Type(1, "none");  // refused at "n", "no" and "non"; taken at "none"
        QCOMPARE(editor.dialogs.messages.size(), size_t{4});
        QCOMPARE(editor.Target(0, 1), int(kNoPosition));
        editor.Type(1, "20");
        QTest::keyClicks(editor.window.ByteField(1), "0");  // refused; OK writes the earlier 20 unchecked
        editor.window.OkClick();
        QCOMPARE(editor.window.result(), int(QDialog::Accepted));
        QCOMPARE(editor.dialogs.messages.size(), size_t{5});
        QVERIFY(testing::ReadText(editor.context.documents.sendInfo).find("<row B1=\"20\" B2=\"20\" B3=\"255\"") !=
                std::string::npos);
    }

    void ALoadThatStopsPartWayIsReportedAndOkWritesNothing() {
        ActiveEditor<TF_Sen_Info> editor;
        const std::string& path = editor.context.documents.sendInfo;
        testing::WriteText(path, "<M><row B1=\"1\" B2=\"1\" B3=\"1\" B4=\"1\" B5=\"1\" B6=\"1\" B7=\"1\"/></M>");
        QVERIFY(!editor.Show());
        QCOMPARE(editor.LastMessage(), "The attribute 'B8' is missing in row 1 of " + path + ".");
        editor.window.OkClick();
        QVERIFY(testing::ReadText(path).rfind("<M>", 0) == 0);
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::FrameMappingWindowTest)
#include "frame_mapping_window_test.moc"
