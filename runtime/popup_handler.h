#pragma once
// A hook that answers popups instead of showing dialogs, so that tests and
// scripted runs go unattended.

#include <optional>
#include <string>

namespace tarvik::rt {

class PopupHandler {
  public:
    virtual ~PopupHandler() = default;
    virtual void messagePopup(const std::string& title, const std::string& message) = 0;
    // The chosen file's path, or nullopt for a cancel.
    virtual std::optional<std::string> fileSelectPopup(const std::string& title,
                                                       const std::string& defaultFileSpec) = 0;
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
