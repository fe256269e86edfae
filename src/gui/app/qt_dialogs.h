#pragma once

#include "core/project/dialogs.h"

#include <QString>

namespace kestrova {

// The program's message boxes and file dialogs, parented to the active window.
class QtDialogs : public Dialogs {
public:
    void ShowMessage(MessageKind kind, const std::string& text) override;
    std::optional<std::string> ChooseFolder(const std::string& caption, const std::string& root,
                                            const std::string& preselected) override;
    std::optional<std::string> ChooseOpenFile(const std::string& initialDirectory, const std::string& filter) override;
    std::optional<std::string> ChooseOpenFileTitled(const std::string& title, const std::string& initialDirectory,
                                                    const std::string& filter) override;
    std::optional<std::string> ChooseSaveFile(const std::string& initialDirectory, const std::string& filter) override;
    bool AskYesNo(const std::string& question) override;
};

// "Desc (*.a)|*.a|Other (*.b)|*.b" as a Qt name filter list ("Desc (*.a);;Other (*.b)").
QString QtNameFilters(const std::string& filter);

}  // namespace kestrova
