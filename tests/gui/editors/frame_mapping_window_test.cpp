#include "gui/editors/frame_mapping_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/project/file_system.h"
#include "grid_typing.h"
#include "gui/editors/receive_info_window.h"
#include "gui/editors/send_info_window.h"

namespace kestrova {

using testing::ReadText;
using testing::WriteText;

namespace {

const char* const kTwoFrames = "<F><row COBID=\"A\" Dim=\"8\"/><row COBID=\"B\" Dim=\"3\"/></F>";

std::string NoneRow() {
    return "<row B1=\"255\" B2=\"255\" B3=\"255\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"255\"/>";
}

// Shows the window as the active one, so that focus moves between its fields as a user's do.
template <typename Editor>
bool ShowActive(Editor& editor) {
    if (!editor.window.Reload()) return false;
    editor.window.show();
    editor.window.activateWindow();
    return QTest::qWaitForWindowActive(&editor.window);
}

// Replaces the text of byte field k by typing, as a user does.
void Type(FrameMappingWindow& window, int byte, const QString& text) {
    QLineEdit* field = window.ByteField(byte);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

}  // namespace

class FrameMappingWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ReceiveBytesAreTakenOnLeavingTheFieldAndCollisionsStopOk() {
        testing::EditorOnProject<TF_Rec_Info> editor;
        auto& window = editor.window;
        WriteText(editor.context.documents.receiveFrame, kTwoFrames);
        QVERIFY(ShowActive(editor));
        QCOMPARE(window.windowTitle(), QString("Receive Frames Info"));
        QCOMPARE(window.FrameList()->count(), 2);
        QCOMPARE(window.FrameList()->item(1)->text(), QString("B"));
        QVERIFY(window.ByteField(8)->isEnabled() && window.NotInUse(8)->isHidden());

        Type(window, 1, "5 ");
        QCOMPARE(window.Frames()[0].targets[0], kNoPosition);  // not taken while the field has the focus
        window.FrameList()->setFocus();
        QCOMPARE(int(window.Frames()[0].targets[0]), 5);

        window.FrameList()->setCurrentRow(1);
        QCOMPARE(window.ByteField(1)->text(), QString("none"));
        QVERIFY(window.ByteField(3)->isEnabled() && window.NotInUse(3)->isHidden());
        QVERIFY(!window.ByteField(4)->isEnabled() && window.NotInUse(4)->isVisible());
        Type(window, 3, "5");
        Type(window, 2, "128");  // leaving byte 3 for byte 2 takes byte 3
        window.FrameList()->setFocus();
        QCOMPARE(editor.dialogs.Texts(),
                 std::vector<std::string>{"Error Byte 2!! Value have to be between 0 to 127 or none. "});
        QCOMPARE(editor.dialogs.messages[0].kind, MessageKind::Error);
        QCOMPARE(window.focusWidget(), window.ByteField(2));
        QCOMPARE(window.Frames()[1].targets[1], kNoPosition);

        Type(window, 2, "None");
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(editor.LastMessage(),
                 std::string("Error!! The Byte 5 is used in COB ID B in Byte 3 and in COB ID A in Byte 1 "));
        QVERIFY(window.isVisible());
        QVERIFY(!FileExists(editor.context.documents.receiveInfo));

        Type(window, 3, "127");
        QTest::keyClick(window.ByteField(3), Qt::Key_Return);  // Enter takes the field, the window stays
        QCOMPARE(int(window.Frames()[1].targets[2]), 127);
        QVERIFY(window.isVisible());
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(editor.dialogs.messages.size(), size_t{2});
        QCOMPARE(
            ReadText(editor.context.documents.receiveInfo),
            std::string("<Receive_Frames_Info>"
                        "<row B1=\"5\" B2=\"255\" B3=\"255\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"255\"/>"
                        "<row B1=\"255\" B2=\"255\" B3=\"127\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"255\"/>"
                        "</Receive_Frames_Info>"));
    }

    void SendBytesAreCheckedAtEveryKeystrokeAndMayShareAPosition() {
        testing::EditorOnProject<TF_Sen_Info> editor;
        auto& window = editor.window;
        WriteText(editor.context.documents.sendFrame, kTwoFrames);
        QVERIFY(ShowActive(editor));
        QCOMPARE(window.windowTitle(), QString("Send Frames Info"));

        Type(window, 1, "12");
        QVERIFY(editor.dialogs.messages.empty());
        QCOMPARE(int(window.Frames()[0].targets[0]), 12);  // taken without leaving the field
        Type(window, 2, "20");
        QTest::keyClicks(window.ByteField(2), "0");
        QCOMPARE(editor.dialogs.Texts(),
                 std::vector<std::string>{"Error Byte 2!! Value have to be between 0 to 127 or none. "});
        QCOMPARE(int(window.Frames()[0].targets[1]), 20);
        QCOMPARE(window.focusWidget(), window.ByteField(2));

        Type(window, 1, "none");  // refused at "n", "no" and "non"; taken at "none"
        QCOMPARE(editor.dialogs.messages.size(), size_t{4});
        QCOMPARE(window.Frames()[0].targets[0], kNoPosition);
        Type(window, 2, "");
        QCOMPARE(window.Frames()[0].targets[1], kNoPosition);  // an emptied field is none

        Type(window, 8, "7");
        window.FrameList()->setCurrentRow(1);
        Type(window, 1, "7");
        window.OkClick();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(editor.dialogs.messages.size(), size_t{4});
        QCOMPARE(
            ReadText(editor.context.documents.sendInfo),
            std::string("<Send_Frames_Info>"
                        "<row B1=\"255\" B2=\"255\" B3=\"255\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"7\"/>"
                        "<row B1=\"7\" B2=\"255\" B3=\"255\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"255\"/>"
                        "</Send_Frames_Info>"));
    }

    void WithoutFramesTheRowsAreDisabledAndOkWritesAnEmptyMapping() {
        testing::EditorOnProject<TF_Rec_Info> editor;
        auto& window = editor.window;
        WriteText(editor.context.documents.receiveInfo, "<Receive_Frames_Info>" + NoneRow() + "</Receive_Frames_Info>");
        QVERIFY(window.Reload());
        QCOMPARE(window.FrameList()->count(), 0);
        for (int byte = 1; byte <= 8; ++byte) QVERIFY(!window.ByteField(byte)->isEnabled());
        QCOMPARE(window.ByteField(1)->text(), QString("none"));
        window.OkClick();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(editor.context.documents.receiveInfo), std::string("<Receive_Frames_Info/>"));
    }

    void ALoadThatStopsPartWayIsReportedAndNothingIsWritten() {
        testing::EditorOnProject<TF_Sen_Info> editor;
        auto& window = editor.window;
        WriteText(editor.context.documents.sendFrame, kTwoFrames);
        const std::string mapping = "<Send_Frames_Info>" + NoneRow() + "<row B1=\"1\"/></Send_Frames_Info>";
        WriteText(editor.context.documents.sendInfo, mapping);
        window.ShowModal();
        QVERIFY(!window.isVisible());
        QCOMPARE(editor.LastMessage(),
                 "The attribute 'B2' is missing in row 2 of " + editor.context.documents.sendInfo + ".");
        window.OkClick();
        QCOMPARE(ReadText(editor.context.documents.sendInfo), mapping);
    }

    void EveryShowingStartsFromTheDocumentsAndCancelWritesNothing() {
        testing::EditorOnProject<TF_Rec_Info> editor;
        auto& window = editor.window;
        WriteText(editor.context.documents.receiveFrame, kTwoFrames);
        WriteText(
            editor.context.documents.receiveInfo,
            "<M><row B1=\"9\" B2=\"255\" B3=\"255\" B4=\"255\" B5=\"255\" B6=\"255\" B7=\"255\" B8=\"255\"/></M>");
        for (int showing = 0; showing < 2; ++showing) {
            QString shown;
            QTimer::singleShot(0, &window, [&] {
                shown = window.ByteField(1)->text();
                Type(window, 1, "3");
                Type(window, 2, "300");  // a refused text does not keep Cancel from closing
                QTest::mouseClick(window.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
            });
            window.ShowModal();
            QCOMPARE(shown, QString("9"));
            QCOMPARE(window.result(), int(QDialog::Rejected));
        }
        QCOMPARE(ReadText(editor.context.documents.receiveInfo).rfind("<M>", 0), size_t{0});
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::FrameMappingWindowTest)
#include "frame_mapping_window_test.moc"
