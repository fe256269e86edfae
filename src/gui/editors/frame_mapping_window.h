#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "core/editors/frame_byte_mapping.h"
#include "core/project/dialogs.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestrova {

// The common window of the frame byte mappings: the frames of a frame list on the left, the
// eight data bytes of the selected frame on the right, each with the position it is mapped
// to or "none". Every showing reloads both documents; OK writes the mapping; Cancel and the
// close box write nothing.
class FrameMappingWindow : public QDialog {
    Q_OBJECT
public:
    FrameMappingWindow(const FrameMappingKind& kind, ProjectContext& context, Dialogs& dialogs, QWidget* parent);

    // Reloads from the current project's documents and shows the window modally. Documents
    // that cannot be read whole are reported and the window does not open.
    void ShowModal();
    // The same with frame `frame` (from 1) selected, where the list has it; true when the
    // window ended with OK.
    bool ShowModalAt(int frame);
    // The show handler alone: false (reported) when the documents cannot be read whole; OK
    // then writes nothing until a later showing succeeds.
    bool Reload();
    void OkClick();

    // Takes the text of byte field k (1 to 8) as the target of byte k of the selected frame;
    // a refused text is reported, the target stays and the focus goes back to the field.
    bool TakeByteField(int byte);

    const FrameMappingKind& Kind() const { return kind_; }
    QListWidget* FrameList() const { return frameList_; }
    QLineEdit* ByteField(int byte) const { return rows_[byte - 1].field; }
    QLabel* NotInUse(int byte) const { return rows_[byte - 1].notInUse; }
    const std::vector<FrameBytes>& Frames() const { return frames_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ByteRow {
        QLabel* caption;
        QLineEdit* field;
        QLabel* imageCaption;
        QLabel* notInUse;
    };

    void ShowFrame(int index);
    void EnableRow(const ByteRow& row, bool enabled);

    const FrameMappingKind& kind_;
    ProjectContext& context_;
    Dialogs& dialogs_;
    std::vector<FrameBytes> frames_;
    bool loaded_ = false;
    LoadedDocument mappingLoaded_;  // the mapping document as the show found it
    bool reporting_ = false;        // a refusal is on screen: focus changes it causes check nothing
    QListWidget* frameList_;
    std::array<ByteRow, kFrameDataByteCount> rows_{};
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

}  // namespace kestrova
