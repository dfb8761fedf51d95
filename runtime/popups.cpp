#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "runtime/panel_model.h"
#include "runtime/popup_handler.h"
#include "runtime/userint.h"

namespace tarvik::rt {
namespace {
PopupHandler* g_popupHandler = nullptr;
}
void SetPopupHandler(PopupHandler* handler) {
    g_popupHandler = handler;
}
}  // namespace tarvik::rt

using namespace tarvik::rt;

int MessagePopup(const char* title, const char* message) {
    std::string t = title ? title : "";
    std::string m = message ? message : "";
    if (g_popupHandler) {
        g_popupHandler->messagePopup(t, m);
        return 0;
    }
    if (!EngineStarted()) return UiFail(UIE_NOT_STARTED, "the engine is not started");
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(t), QString::fromStdString(m),
                    QMessageBox::Ok);
    box.exec();
    return 0;
}

int ConfirmPopup(const char* title, const char* message) {
    std::string t = title ? title : "";
    std::string m = message ? message : "";
    if (g_popupHandler) return g_popupHandler->confirmPopup(t, m) ? 1 : 0;
    if (!EngineStarted()) return UiFail(UIE_NOT_STARTED, "the engine is not started");
    QMessageBox box(QMessageBox::Question, QString::fromStdString(t), QString::fromStdString(m),
                    QMessageBox::Yes | QMessageBox::No);
    // A question that guards against harm is not answered Yes by a stray Enter.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? 1 : 0;
}

int FileSelectPopupEx(const char* defaultDirectory, const char* defaultFileSpec,
                      const char* fileTypeList, const char* title, int, int, int, int, int,
                      char* pathBuffer, std::size_t pathSize) {
    if (!pathBuffer || pathSize == 0) return UiFail(UIE_BUFFER_TOO_SMALL, "no path buffer");
    std::string fileSpec = defaultFileSpec ? defaultFileSpec : "";
    std::string heading = title ? title : "";
    std::optional<std::string> chosen;
    if (g_popupHandler) {
        chosen = g_popupHandler->fileSelectPopup(heading, defaultDirectory ? defaultDirectory : "",
                                                 fileSpec);
    } else {
        if (!EngineStarted()) return UiFail(UIE_NOT_STARTED, "the engine is not started");
        // "*.hex;*.txt;" becomes the dialog's filter "*.hex *.txt".
        QString patterns =
            QString::fromUtf8(fileTypeList && *fileTypeList ? fileTypeList : fileSpec.c_str());
        patterns.replace(';', ' ');
        QString filter = QStringLiteral("(%1);;All files (*)").arg(patterns.trimmed());
        QString path = QFileDialog::getOpenFileName(
            nullptr, QString::fromStdString(heading),
            QString::fromUtf8(defaultDirectory ? defaultDirectory : ""), filter);
        if (!path.isEmpty()) chosen = path.toStdString();
    }
    if (!chosen) return VAL_NO_FILE_SELECTED;
    if (chosen->size() + 1 > pathSize)
        return UiFail(UIE_BUFFER_TOO_SMALL, "the chosen path is too long");
    std::memcpy(pathBuffer, chosen->c_str(), chosen->size() + 1);
    return VAL_EXISTING_FILE_SELECTED;
}

namespace {

// A handler that keeps giving refused answers must not hold the console.
constexpr int kMostCheckedAnswers = 100;
constexpr std::size_t kReasonSize = 512;

std::string withReason(const std::string& message, const std::string& reason) {
    return message + "\n\n" + reason;
}

// Empty when check takes text (or there is no check), else the reason it gave.
std::string refusal(ChoiceCheck check, const std::string& text) {
    if (!check) return {};
    char reason[kReasonSize] = "";
    if (check(text.c_str(), reason, sizeof reason)) return {};
    return reason[0] ? reason : "refused";
}

// The editable list dialog, which stays open on a choice its check refuses.
class CheckedChoiceDialog : public QInputDialog {
  public:
    CheckedChoiceDialog(const std::string& message, ChoiceCheck check)
        : message_(QString::fromStdString(message)), check_(check) {}
    void done(int result) override {
        if (result == QDialog::Accepted) {
            const std::string why = refusal(check_, textValue().trimmed().toStdString());
            if (!why.empty()) {
                setLabelText(QString::fromStdString(withReason(message_.toStdString(), why)));
                return;
            }
        }
        QInputDialog::done(result);
    }

  private:
    QString message_;
    ChoiceCheck check_;
};

}  // namespace

int ChoicePopup(const char* title, const char* message, const char* const items[], int count,
                const char* current, char* response, std::size_t size, ChoiceCheck check) {
    if (!response || size == 0) return UiFail(UIE_BUFFER_TOO_SMALL, "no response buffer");
    response[0] = '\0';
    std::vector<std::string> list;
    for (int i = 0; items && i < count; ++i) list.emplace_back(items[i] ? items[i] : "");
    const std::string t = title ? title : "", m = message ? message : "";
    std::string now = current ? current : "";
    std::optional<std::string> chosen;
    if (g_popupHandler) {
        std::string asked = m;
        for (int tries = 0; tries < kMostCheckedAnswers; ++tries) {
            chosen = g_popupHandler->choicePopup(t, asked, list, now);
            if (!chosen || chosen->empty()) return 0;
            const std::string why = refusal(check, *chosen);
            if (why.empty()) break;
            // As the dialog does: the reason under the message, the typed text kept.
            asked = withReason(m, why);
            now = *chosen;
            chosen.reset();
        }
    } else {
        if (!EngineStarted()) return UiFail(UIE_NOT_STARTED, "the engine is not started");
        QStringList entries;
        for (const std::string& item : list) entries << QString::fromStdString(item);
        int preselected = static_cast<int>(entries.indexOf(QString::fromStdString(now)));
        if (preselected < 0 && !now.empty()) {
            entries.prepend(QString::fromStdString(now));
            preselected = 0;
        }
        CheckedChoiceDialog dialog(m, check);
        dialog.setWindowTitle(QString::fromStdString(t));
        dialog.setLabelText(QString::fromStdString(m));
        dialog.setComboBoxItems(entries);
        dialog.setComboBoxEditable(true);
        if (preselected >= 0 && preselected < entries.size())
            dialog.setTextValue(entries[preselected]);
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.textValue().trimmed().toStdString();
    }
    if (!chosen || chosen->empty()) return 0;
    const std::size_t n = std::min(chosen->size(), size - 1);
    std::memcpy(response, chosen->data(), n);
    response[n] = '\0';
    return 1;
}
