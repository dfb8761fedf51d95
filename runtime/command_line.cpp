#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "runtime/cvirte.h"
#include "runtime/port_map.h"
#include "runtime/rs232.h"

namespace {

// The program, as the caller describes it.
ProgramText g_program = {"", "", ""};
constexpr int kUsageError = 2;
constexpr const char* kPort = "port";
constexpr const char* kConnect = "connect";
constexpr const char* kHelp = "help";
constexpr const char* kVersion = "version";
// No --connect on the command line.
constexpr int kNoConnect = -1;
// --connect without a number: the COM port the box starts with.
constexpr int kConnectLastPort = 0;

int g_connectPort = kNoConnect;

// Qt's standard options, which QApplication takes out of argv when it starts (those of
// QGuiApplication, QApplication and the X11 platform plugin, Qt 6.4). They are accepted here
// and left in argv, so that they reach Qt. Qt reads a value as the next word; only style,
// stylesheet and qmljsdebugger also take it as "-style=NAME".
struct QtOption {
    const char* name;
    bool takesValue;
    bool equalsForm;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true, false},
    {"platformpluginpath", true, false},
    {"platformtheme", true, false},
    {"plugin", true, false},
    {"qwindowgeometry", true, false},
    {"qwindowicon", true, false},
    {"qwindowtitle", true, false},
    {"session", true, false},
    {"style", true, true},
    {"stylesheet", true, true},
    {"qmljsdebugger", true, true},
    {"display", true, false},
    {"geometry", true, false},
    {"title", true, false},
    {"icon", true, false},
    {"name", true, false},
    {"visual", true, false},
    {"reverse", false, false},
    {"widgetcount", false, false},
    {"testability", false, false},
    {"nograb", false, false},
    {"dograb", false, false},
};

bool usageError(const std::string& why) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", g_program.name, why.c_str(), g_program.name);
    return false;
}

// "N=DEVICE" with N a COM number and DEVICE not empty.
bool parsePortMapping(std::string_view text, std::map<int, std::string>& mappings) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos)
        return usageError("--port wants N=DEVICE, not '" + std::string(text) + "'");
    int port = 0;
    const char* first = text.data();
    const char* last = first + equals;
    auto [end, error] = std::from_chars(first, last, port);
    if (error != std::errc() || end != last || port < 1 || port > COM_MAX_PORT)
        return usageError("--port: '" + std::string(text.substr(0, equals)) +
                          "' is no COM number (1 to " + std::to_string(COM_MAX_PORT) + ")");
    if (equals + 1 == text.size())
        return usageError("--port " + std::to_string(port) + "= names no device");
    mappings[port] = std::string(text.substr(equals + 1));
    return true;
}

// --connect's value: empty for the last port, else a COM number.
bool parseConnectPort(std::string_view text, int* port) {
    if (text.empty()) {
        *port = kConnectLastPort;
        return true;
    }
    int number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 1 ||
        number > COM_MAX_PORT)
        return usageError("--connect: '" + std::string(text) + "' is no COM number (1 to " +
                          std::to_string(COM_MAX_PORT) + ")");
    *port = number;
    return true;
}

// An option word's name: "--port=1=x" and "-port" are both "port"; "" for a word that is
// no option.
QString optionName(const QString& word) {
    if (word.size() < 2 || word[0] != '-' || word == "--") return {};
    const int start = word.startsWith("--") ? 2 : 1;
    const int equals = word.indexOf('=');
    return word.mid(start, equals < 0 ? -1 : equals - start);
}

const QtOption* qtOption(const QString& name) {
    for (const QtOption& option : kQtOptions)
        if (name == option.name) return &option;
    return nullptr;
}

bool ownOptionTakesValue(const QString& name) {
    return name == kPort || name == kConnect;
}

// Readies the words for QCommandLineParser, which has no option with an optional value:
// "--connect N" becomes "--connect=N", a bare "--connect" "--connect=". Also refuses
// "-platform=NAME" for a Qt option whose value Qt reads only as the next word.
bool prepareWords(QStringList& words) {
    for (int i = 1; i < words.size(); ++i) {
        const QString word = words[i];
        if (word == "--") break;
        const QString name = optionName(word);
        if (name.isEmpty()) continue;
        const bool hasEquals = word.contains('=');
        if (name == kConnect && !hasEquals) {
            const bool valueFollows = i + 1 < words.size() && !words[i + 1].startsWith('-');
            words[i] = "--connect=" + (valueFollows ? words[i + 1] : QString());
            if (valueFollows) words.removeAt(i + 1);
            continue;
        }
        const QtOption* qt = qtOption(name);
        if (qt && qt->takesValue && hasEquals && !qt->equalsForm) {
            return usageError("Qt reads the value of -" + name.toStdString() +
                              " as the next word: -" + name.toStdString() + " " +
                              word.mid(word.indexOf('=') + 1).toStdString());
        }
        // The next word is this option's value, whatever it looks like.
        if (!hasEquals && ((qt && qt->takesValue) || ownOptionTakesValue(name))) ++i;
    }
    return true;
}

// The word as typed on the command line for an option QCommandLineParser did not know.
std::string typedAs(const QStringList& words, const QString& name) {
    for (int i = 1; i < words.size(); ++i)
        if (optionName(words[i]) == name) return words[i].section('=', 0, 0).toStdString();
    return "-" + name.toStdString();
}

}  // namespace

int ParseCommandLine(char* argv[], const ProgramText& program, int* exitStatus) {
    g_program = program;
    int ignored = 0;
    int& status = exitStatus ? *exitStatus : ignored;
    status = 0;
    g_connectPort = kNoConnect;
    QStringList words;
    for (int i = 0; argv && argv[i]; ++i) words << QString::fromLocal8Bit(argv[i]);
    if (words.isEmpty()) words << g_program.name;

    QCommandLineParser parser;
    // "-platform" is one option, as Qt reads it, not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{kPort}, "", "N=DEVICE"));
    parser.addOption(QCommandLineOption(QStringList{kConnect}, "", "N"));
    parser.addOption(QCommandLineOption(QStringList{"h", kHelp}));
    parser.addOption(QCommandLineOption(QStringList{kVersion}));
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QString(qt.name));
        if (qt.takesValue) option.setValueName("VALUE");
        parser.addOption(option);
    }

    const bool parsed = prepareWords(words) && [&] {
        if (parser.parse(words)) return true;
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError("unknown option '" + typedAs(words, unknown.first()) + "'");
        // Qt's "Missing value after '-platform'." in this program's style.
        std::string why = parser.errorText().toStdString();
        if (!why.empty() && why.back() == '.') why.pop_back();
        if (!why.empty())
            why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
        return usageError(why);
    }();
    if (!parsed) {
        status = kUsageError;
        return 0;
    }
    if (parser.isSet(kHelp)) {
        std::fputs(g_program.help, stdout);
        return 0;
    }
    if (parser.isSet(kVersion)) {
        std::printf("%s %s\n", g_program.name, g_program.version);
        return 0;
    }
    bool ok = true;
    if (const QStringList extra = parser.positionalArguments(); !extra.isEmpty())
        ok = usageError("unexpected argument '" + extra.first().toStdString() + "'");
    std::map<int, std::string> mappings;
    for (const QString& mapping : parser.values(kPort))
        ok = ok && parsePortMapping(mapping.toLocal8Bit().toStdString(), mappings);
    int connectPort = kNoConnect;
    if (ok && parser.isSet(kConnect))
        ok = parseConnectPort(parser.value(kConnect).toStdString(), &connectPort);
    if (!ok) {
        status = kUsageError;
        return 0;
    }
    for (const auto& [port, device] : mappings)
        tarvik::rt::ChooseComPortDevice(port, device, COM_MAP_COMMAND_LINE);
    g_connectPort = connectPort;
    return 1;
}

int GetStartupConnect(int* port) {
    if (g_connectPort == kNoConnect) return 0;
    if (port) *port = g_connectPort;
    return 1;
}
