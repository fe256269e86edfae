#pragma once

#include <optional>
#include <string>

namespace kestrova {

// The application title: task-bar caption and caption of every plain message box.
inline constexpr const char* kApplicationTitle = "Firmware Kestrova";

enum class MessageKind {
    Plain,        // caption "Firmware Kestrova", no icon
    Error,        // error icon
    Warning,
    Information,
};

// Message boxes and file dialogs, so that decisions can be made (and tested) without a
// display. The program shows Qt dialogs; tests use a scripted fake that records every call.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box with one OK button.
    virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;

    // Folder browser rooted at `root`: only `root` or a folder below it can be chosen.
    // `preselected` may be empty. Returns the chosen folder's full path, nothing on cancel.
    virtual std::optional<std::string> ChooseFolder(const std::string& caption, const std::string& root,
                                                    const std::string& preselected) = 0;

    // Filters are written "Description (*.ext)|*.ext". Nothing on cancel.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& initialDirectory,
                                                      const std::string& filter) = 0;
    // The same under a title of its own ("Open XML File").
    virtual std::optional<std::string> ChooseOpenFileTitled(const std::string& title,
                                                            const std::string& initialDirectory,
                                                            const std::string& filter) {
        (void)title;
        return ChooseOpenFile(initialDirectory, filter);
    }
    // An existing file is chosen without a confirmation question.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& initialDirectory,
                                                      const std::string& filter) = 0;

    // A modal question box with "Yes" and "No"; true for Yes. Where no one can answer (the
    // console) the answer is No.
    virtual bool AskYesNo(const std::string& question) {
        (void)question;
        return false;
    }
};

// Runs `action`; a failure it throws is shown with its own text in a plain message box and
// ends the action. Returns whether the action ran to its end.
template <typename Action>
bool RunGuarded(Dialogs& dialogs, Action&& action);

}  // namespace kestrova

#include "core/project/error.h"

namespace kestrova {

template <typename Action>
bool RunGuarded(Dialogs& dialogs, Action&& action) {
    try {
        action();
        return true;
    } catch (const Error& error) {
        dialogs.ShowMessage(MessageKind::Plain, error.what());
    } catch (const std::exception& error) {
        dialogs.ShowMessage(MessageKind::Plain, error.what());
    }
    return false;
}

}  // namespace kestrova
