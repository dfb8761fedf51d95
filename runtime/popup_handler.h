#pragma once
// A hook that answers popups instead of showing dialogs, so that tests and
// scripted runs go unattended.

#include <optional>
#include <string>
#include <vector>

namespace tarvik::rt {

class PopupHandler {
  public:
    virtual ~PopupHandler() = default;
    virtual void messagePopup(const std::string& title, const std::string& message) = 0;
    // The chosen file's path, or nullopt for a cancel.
    virtual std::optional<std::string> fileSelectPopup(const std::string& title,
                                                       const std::string& defaultDirectory,
                                                       const std::string& defaultFileSpec) = 0;
    // The picked or typed text, or nullopt for a cancel. A handler that does not answer
    // choices is shown the question as a message, and the choice is cancelled.
    virtual std::optional<std::string> choicePopup(const std::string& title,
                                                   const std::string& message,
                                                   const std::vector<std::string>& items,
                                                   const std::string& current) {
        (void)items;
        (void)current;
        messagePopup(title, message);
        return std::nullopt;
    }
    // The answer to a yes/no question: true for Yes. A handler that does not answer questions
    // is shown the question as a message, and the dialog's default, No, is taken.
    virtual bool confirmPopup(const std::string& title, const std::string& message) {
        messagePopup(title, message);
        return false;
    }
};

// Installs the handler (not owned); null shows real modal dialogs again.
void SetPopupHandler(PopupHandler* handler);

}  // namespace tarvik::rt
