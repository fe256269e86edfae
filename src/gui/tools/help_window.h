#pragma once

#include <QDialog>

#include "core/project/dialogs.h"
#include "core/project/project_context.h"

class QTextEdit;

namespace kestrova {

// "Help": the help file beside the program, in a read-only text box.
class TFHelp : public QDialog {
    Q_OBJECT
public:
    TFHelp(const ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    void ShowModal();
    // The show handler: loads the help file; "Impossible to read file Help" and an empty box
    // when it cannot be read.
    void FormShow();
    QTextEdit* TextBox() const { return text_; }

private:
    const ProjectContext& context_;
    Dialogs& dialogs_;
    QTextEdit* text_;
};

}  // namespace kestrova
