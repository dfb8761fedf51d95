#pragma once
// How a firmware upgrade, or a step of it, ended: as a value for the command
// line companion, and the popup the console shows for it.

#include <string>

#include "link/result.h"

enum class UpgradeError {
    None,             // every record acknowledged, "Data successfully sent"
    FileRefused,      // the file cannot be opened or read, or is not one to send; nothing sent
    Busy,             // another command holds the link; nothing sent
    PortNotOpened,    // not connected, and the port did not open for the upgrade
    NoBootloader,     // no XOFF ACK XON answered the presence test; nothing more sent
    TransferStopped,  // a line was not acknowledged, or the line stopped carrying bytes
    Cancelled,        // asked to stop; stopped after an acknowledged line
};

struct UpgradeOutcome : Result<UpgradeError> {
    // The popup the console shows for it, when any: its title and text.
    const char* popupTitle = nullptr;
    std::string popupText;
    // Records acknowledged, and records in the file.
    int sent = 0;
    int records = 0;

    // Ends with error, the command line's words for it, and the console's "Error" popup.
    static UpgradeOutcome Stopped(UpgradeError error, std::string words, std::string popup) {
        UpgradeOutcome outcome;
        outcome.error = error;
        outcome.reason = std::move(words);
        outcome.popupTitle = "Error";
        outcome.popupText = std::move(popup);
        return outcome;
    }
};
