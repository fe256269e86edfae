#pragma once

#include "core/project/dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::testing {

// A Dialogs that never blocks: it records every call and answers from scripted queues
// (an empty queue answers "cancel").
class RecordingDialogs : public Dialogs {
public:
    struct Message {
        MessageKind kind;
        std::string text;
    };
    struct FolderRequest {
        std::string caption, root, preselected;
    };
    struct FileRequest {
        std::string initialDirectory, filter, title;
    };

    std::vector<Message> messages;
    std::vector<FolderRequest> folderRequests;
    std::vector<FileRequest> openRequests, saveRequests;

    std::deque<std::optional<std::string>> folderAnswers, openAnswers, saveAnswers;
    std::vector<std::string> questions;
    std::deque<bool> yesNoAnswers;  // an empty queue answers No

    void ShowMessage(MessageKind kind, const std::string& text) override { messages.push_back({kind, text}); }

    std::optional<std::string> ChooseFolder(const std::string& caption, const std::string& root,
                                            const std::string& preselected) override {
        folderRequests.push_back({caption, root, preselected});
        return Next(folderAnswers);
    }
    std::optional<std::string> ChooseOpenFile(const std::string& initialDirectory, const std::string& filter) override {
        openRequests.push_back({initialDirectory, filter, {}});
        return Next(openAnswers);
    }
    std::optional<std::string> ChooseOpenFileTitled(const std::string& title, const std::string& initialDirectory,
                                                    const std::string& filter) override {
        openRequests.push_back({initialDirectory, filter, title});
        return Next(openAnswers);
    }
    std::optional<std::string> ChooseSaveFile(const std::string& initialDirectory, const std::string& filter) override {
        saveRequests.push_back({initialDirectory, filter, {}});
        return Next(saveAnswers);
    }

    bool AskYesNo(const std::string& question) override {
        questions.push_back(question);
        if (yesNoAnswers.empty()) return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& message : messages) texts.push_back(message.text);
        return texts;
    }

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace kestrova::testing
