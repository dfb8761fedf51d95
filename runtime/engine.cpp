#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/cvirte.h"
#include "runtime/panel_model.h"

namespace tarvik::rt {
void CloseAllComPorts();

namespace {

struct Engine {
    int argc = 0;
    std::unique_ptr<QApplication> ownedApp;  // null when someone else made it (tests)
    QEventLoop* loop = nullptr;
    bool quitRequested = false;
    int quitCode = 0;
};

Engine* g_engine = nullptr;

void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "Tarvikdebug: %s\n", qPrintable(message));
}

// The value Qt takes for -NAME or --NAME (the next word; the last one given), or null.
const char* qtArgument(char* argv[], const char* name) {
    const std::string single = std::string("-") + name;
    const std::string twice = "-" + single;
    const char* value = nullptr;
    for (int i = 1; argv && argv[i] && argv[i + 1]; ++i)
        if (argv[i] == single || argv[i] == twice) value = argv[++i];
    return value;
}

bool isSet(const char* value) {
    return value && *value;
}

// Whether Qt will find a display: a platform given (-platform, else QT_QPA_PLATFORM) is
// trusted, except X11's, which needs an X server named (DISPLAY or -display); without a
// platform, Qt picks X11 or Wayland by DISPLAY and WAYLAND_DISPLAY.
bool displayAvailable(char* argv[]) {
    const char* platform = qtArgument(argv, "platform");
    if (!isSet(platform)) platform = std::getenv("QT_QPA_PLATFORM");
    const bool x11 = isSet(std::getenv("DISPLAY")) || isSet(qtArgument(argv, "display"));
    if (isSet(platform)) return std::string_view(platform).substr(0, 3) != "xcb" || x11;
    return x11 || isSet(std::getenv("WAYLAND_DISPLAY"));
}

}  // namespace

bool EngineStarted() {
    return g_engine != nullptr;
}

}  // namespace tarvik::rt

using namespace tarvik::rt;

int InitCVIRTE(void*, char* argv[], void*) {
    if (g_engine) return 1;
    auto engine = std::make_unique<Engine>();
    // The engine reports through its own lines; Qt's chatter (and the form
    // loader's second copy of a reason we already give) stays out of the way.
    if (!std::getenv("TARVIK_QT_MESSAGES")) qInstallMessageHandler(quietQtMessages);
    if (!QApplication::instance()) {
        // Qt aborts the process when it finds no display; say why and fail instead.
        if (!displayAvailable(argv)) {
            std::fprintf(stderr,
                         "Tarvikdebug: no display (set DISPLAY, or run with -platform "
                         "offscreen)\n");
            return 0;
        }
        static char fallbackName[] = "tarvikdebug";
        static char* fallbackArgv[] = {fallbackName, nullptr};
        char** args = (argv && argv[0]) ? argv : fallbackArgv;
        while (args[engine->argc]) ++engine->argc;
        engine->ownedApp = std::make_unique<QApplication>(engine->argc, args);
    }
    QApplication::setQuitOnLastWindowClosed(false);
    g_engine = engine.release();
    SetEventPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    return 1;
}

void CloseCVIRTE(void) {
    if (!g_engine) return;
    SetEventPump(nullptr);
    RemoveAllPanels();
    CloseAllComPorts();
    delete g_engine;
    g_engine = nullptr;
}

int RunUserInterface(void) {
    if (!g_engine) return -1;
    if (!g_engine->quitRequested) {
        QEventLoop loop;
        g_engine->loop = &loop;
        loop.exec();
        g_engine->loop = nullptr;
    }
    g_engine->quitRequested = false;
    return g_engine->quitCode;
}

int QuitUserInterface(int code) {
    if (!g_engine) return 0;
    g_engine->quitRequested = true;
    g_engine->quitCode = code;
    if (g_engine->loop) g_engine->loop->exit(code);
    return 0;
}

int GetProgramDir(char* path, int size) {
    if (!path || size <= 0) return -1;
    path[0] = '\0';
    if (!QCoreApplication::instance()) return -1;
    const QByteArray folder = QCoreApplication::applicationDirPath().toUtf8();
    if (folder.isEmpty() || folder.size() >= size) return -1;
    std::memcpy(path, folder.constData(), static_cast<std::size_t>(folder.size()) + 1);
    return 0;
}
