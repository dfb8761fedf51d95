// tarvikctl: the console's commands from a command line, for scripts and CI
// on real hardware. Made from the console's own routines; needs no display.
#include <initializer_list>
#include <string>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/report.h"
#include "cli/session.h"
#include "cli/signals.h"
#include "cli/tell.h"
#include "link/serial_link.h"
#include "runtime/rs232.h"
#include "tarvik_version.h"

namespace {

// Complains of an option given to a command it does not belong to; returns whether it was.
bool misplaced(bool given, const char* option, const std::string& command,
               std::initializer_list<const char*> commands) {
    if (!given) return false;
    std::string owners;
    for (const char* owner : commands) {
        if (command == owner) return false;
        owners += (owners.empty() ? "" : " and ") + std::string(owner);
    }
    cli::Complain(std::string(option) + " applies to " + owners + " only");
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    cli::CatchStopSignals();
    cli::IgnoreBrokenPipes();
    cli::Options options;
    std::string error;
    if (!cli::ParseOptions(argc, argv, &options, &error)) {
        cli::Complain(error + "; see tarvikctl --help");
        return cli::EXIT_USAGE;
    }
    if (options.help) {
        cli::WriteOutput(cli::UsageText());
        return cli::EXIT_OK;
    }
    if (options.version) {
        cli::WriteOutput(std::string("tarvikctl ") + TARVIK_PACKAGE_VERSION + "\n");
        return cli::EXIT_OK;
    }
    const cli::CommandFunction run = cli::FindCommand(options.command);
    if (!run) {
        cli::Complain(options.command.empty()
                          ? "no command given; see tarvikctl --help"
                          : "unknown command '" + options.command + "'; see tarvikctl --help");
        return cli::EXIT_USAGE;
    }
    if (misplaced(options.floats, "--float", options.command, {"block-read", "block-write"}) ||
        misplaced(options.force, "--force", options.command, {"upgrade"}))
        return cli::EXIT_USAGE;
    // The routines report failures in their own lines; the engine's lines would repeat them.
    DisableBreakOnLibraryErrors();
    cli::StartTelling(options);
    InitLinkState();
    // A port failure's fix names this program's way of pointing a port at a device.
    SetPortPointing({"--device", "--device /dev/ttyUSB0", nullptr});
    cli::Result result;
    run(options, &result);
    if (const int signal = cli::StopSignal()) {
        result.status = cli::EXIT_SIGNAL_BASE + signal;
        if (result.error.empty())
            result.error = std::string("stopped by ") + cli::SignalName(signal);
    }
    cli::PrintResult(options.command, result, options);
    // The result is out; a failed answer may still hold the port for a few seconds.
    const int signal = cli::CloseBoardLink();
    cli::EndTelling();
    if (signal != 0) cli::EndBySignal(signal);
    return result.status;
}
