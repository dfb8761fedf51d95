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

int ChoicePopup(const char* title, const char* message, const char* const items[], int count,
                const char* current, char* response, std::size_t size) {
    if (!response || size == 0) return UiFail(UIE_BUFFER_TOO_SMALL, "no response buffer");
    response[0] = '\0';
    std::vector<std::string> list;
    for (int i = 0; items && i < count; ++i) list.emplace_back(items[i] ? items[i] : "");
    const std::string t = title ? title : "", m = message ? message : "";
    const std::string now = current ? current : "";
    std::optional<std::string> chosen;
    if (g_popupHandler) {
        chosen = g_popupHandler->choicePopup(t, m, list, now);
    } else {
        if (!EngineStarted()) return UiFail(UIE_NOT_STARTED, "the engine is not started");
        QStringList entries;
        for (const std::string& item : list) entries << QString::fromStdString(item);
        int preselected = static_cast<int>(entries.indexOf(QString::fromStdString(now)));
        if (preselected < 0 && !now.empty()) {
            entries.prepend(QString::fromStdString(now));
            preselected = 0;
        }
        bool ok = false;
        QString text =
            QInputDialog::getItem(nullptr, QString::fromStdString(t), QString::fromStdString(m),
                                  entries, std::max(0, preselected), true, &ok);
        if (ok) chosen = text.trimmed().toStdString();
    }
    if (!chosen || chosen->empty()) return 0;
    const std::size_t n = std::min(chosen->size(), size - 1);
    std::memcpy(response, chosen->data(), n);
    response[n] = '\0';
    return 1;
}
