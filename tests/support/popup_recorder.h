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
                                               const std::string& fileSpec) override {
        fileDialogs.push_back({title, fileSpec});
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    std::vector<RecordedPopup> popups;
    std::vector<RecordedPopup> fileDialogs;  // title and file pattern asked for
    std::deque<std::optional<std::string>> fileAnswers;
};
