#pragma once

#include "core/project/dialogs.h"
#include "core/project/project_context.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrova {

// "New project": asks for a name and creates the project below the destination directory.
// In its "Edit XML" mode it is a plain one-line text editor for the XML window.
class TFsaveproj : public QDialog {
    Q_OBJECT
public:
    enum class Mode { NewProject = 0, EditXml = 1 };

    TFsaveproj(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    // Set by the caller before each show.
    void SetMode(Mode mode) { mode_ = mode; }
    void SetDestinationDirectory(const std::string& directory) { destination_ = directory; }
    // Edit XML mode: the text shown, and read back after OK.
    void SetEditText(const QString& text);
    QString EditText() const;
    const std::string& TypedName() const { return typedName_; }

    void done(int result) override;  // closes only with the close permission

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OkClick();
    void CancelClick();

    ProjectContext& context_;
    Dialogs& dialogs_;
    Mode mode_ = Mode::NewProject;
    std::string destination_;
    std::string typedName_;
    bool closePermission_ = false;
    QLabel* nameLabel_;
    QLineEdit* nameEdit_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

}  // namespace kestrova
