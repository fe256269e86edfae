#pragma once

#include <QDialog>
#include <array>

#include "core/device/srecord_composer.h"
#include "core/project/dialogs.h"
#include "core/project/project_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace kestrova {

// "Generate Firmware": merges the bank binaries of the project into a new S-record firmware
// file and starts the flash programmer on it.
class TFModifyFileSx : public QDialog {
    Q_OBJECT
public:
    TFModifyFileSx(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    // Runs the show handler and shows the window modally.
    void ShowModal();
    // The show handler: hidden options, the variant's banks, the base firmware from MASTER.
    void Reset();

    // Replaceable start of the flash programmer (tests).
    void SetProgramStarter(ProgramStarter starter) { starter_ = std::move(starter); }
    // What a composition would work with now.
    ComposerSettings CurrentSettings() const;
    bool Composing() const { return composing_; }

public slots:
    void reject() override;

private:
    void ExecuteUpdateClick();
    void ExecuteModifyClick();
    void FlashClick();
    void OpenFirmwareClick();
    void DirectoryBinClick();
    void OptionsClick();
    void TakeBaseFirmware(const std::string& path);
    void ResetBankColours();
    void RunComposition(bool flash);
    void ShowProgress(long long position, long long maximum);

    ProjectContext& context_;
    Dialogs& dialogs_;
    ProgramStarter starter_;
    ComposerSettings settings_;
    bool composing_ = false;

    QProgressBar* progress_;
    QComboBox* ports_;
    QPushButton* execute_;
    QPushButton* close_;
    QLabel* nameLabel_;
    QLineEdit* newName_;
    QPushButton* openFirmware_;
    QPushButton* options_;
    QPushButton* directoryBin_;
    QPushButton* modify_;
    QPushButton* flash_;
    QWidget* bankPanel_;
    std::array<QCheckBox*, kBankCount> banks_{};
};

}  // namespace kestrova
