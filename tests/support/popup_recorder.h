#pragma once
// Records popups instead of showing them, and answers file dialogs from a queue.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "runtime/popup_handler.h"

struct RecordedPopup {
    std::string title;
    std::string message;
};

class PopupRecorder : public tarvik::rt::PopupHandler {
  public:
    PopupRecorder() { tarvik::rt::SetPopupHandler(this); }
    ~PopupRecorder() override { tarvik::rt::SetPopupHandler(nullptr); }

    void messagePopup(const std::string& title, const std::string& message) override {
        popups.push_back({title, message});
    }
    std::optional<std::string> fileSelectPopup(const std::string& title,
                                               const std::string& directory,
                                               const std::string& fileSpec) override {
        fileDialogs.push_back({title, fileSpec});
        fileDirectories.push_back(directory);
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    std::optional<std::string> choicePopup(const std::string& title, const std::string& message,
                                           const std::vector<std::string>& items,
                                           const std::string& current) override {
        choices.push_back({title, message, items, current});
        if (choiceAnswers.empty()) return std::nullopt;
        auto answer = choiceAnswers.front();
        choiceAnswers.pop_front();
        return answer;
    }

    // Records the question and answers it from questionAnswers: No, the dialog's default,
    // once the queue is empty.
    bool confirmPopup(const std::string& title, const std::string& message) override {
        questions.push_back({title, message});
        if (questionAnswers.empty()) return false;
        const bool yes = questionAnswers.front();
        questionAnswers.pop_front();
        return yes;
    }

    struct Choice {
        std::string title, message;
        std::vector<std::string> items;
        std::string current;
    };
    std::vector<RecordedPopup> popups;
    std::vector<Choice> choices;
    std::deque<std::optional<std::string>> choiceAnswers;
    std::vector<RecordedPopup> fileDialogs;    // title and file pattern asked for
    std::vector<std::string> fileDirectories;  // the folder each file dialog opened in
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<RecordedPopup> questions;
    std::deque<bool> questionAnswers;  // true for Yes
};
