#include "runtime/settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kFolder = "tarvikdebug";
constexpr const char* kFile = "tarvikdebug.conf";

// Asked afresh each time: tests (and a user who moves it) may point
// XDG_CONFIG_HOME elsewhere after start-up, and QSettings' own lookup of the
// folder is made once per process.
QString settingsPath() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(
        QStringLiteral("%1/%2").arg(QLatin1String(kFolder), QLatin1String(kFile)));
}

}  // namespace

std::string SettingsFilePath() {
    return settingsPath().toStdString();
}

int LoadSetting(const char* key, char* value, int size) {
    if (value && size > 0) value[0] = '\0';
    if (!key || !*key) return 0;
    QSettings settings(settingsPath(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || !settings.contains(QString::fromUtf8(key)))
        return 0;
    const QByteArray text = settings.value(QString::fromUtf8(key)).toString().toUtf8();
    if (value && size > 0) {
        const auto n = std::min<qsizetype>(text.size(), size - 1);
        std::memcpy(value, text.constData(), static_cast<size_t>(n));
        value[n] = '\0';
    }
    return 1;
}

int SaveSetting(const char* key, const char* value) {
    if (!key || !*key || !value) return -1;
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.setValue(QString::fromUtf8(key), QString::fromUtf8(value));
    settings.sync();
    return settings.status() == QSettings::NoError ? 0 : -1;
}
