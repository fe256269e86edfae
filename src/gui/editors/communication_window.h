#pragma once

#include <QDialog>

#include "core/editors/communication_settings.h"
#include "core/project/dialogs.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrova {

// "SET COMMUNICATION": the J1939 and PROFIBUS parameters of pargen.xml.
class TFpargen : public QDialog {
    Q_OBJECT
public:
    TFpargen(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    // Reloads from the current project's document and shows the window modally. A document
    // that cannot be read whole is reported and the window does not open.
    void ShowModal();
    // The show handler alone: false (reported) when the document cannot be read whole.
    bool Reload();
    void OkClick();

private:
    void Fill(const CommunicationSettings& settings);
    CommunicationSettings Read() const;

    ProjectContext& context_;
    Dialogs& dialogs_;
    LoadedDocument loaded_;  // pargen.xml as the show found it
    QComboBox* canBaud_;
    QRadioButton* sendOnChange_;
    QRadioButton* sendEvery_;
    QRadioButton* sendPerFrame_;
    QLineEdit* delaySend_;
    QLineEdit* timeOut_;
    QCheckBox* peer_;
    QCheckBox* filterFeca_;
    QLineEdit* fecaTimeOut_;
    QLineEdit* profiId_;
    QComboBox* profiBaud_;
    QCheckBox* module_;
    QCheckBox* sendJ1939_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

}  // namespace kestrova
