#include "cli/session.h"

#include <cstdlib>
#include <string>

#include "cli/signals.h"
#include "cli/tell.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "runtime/rs232.h"

namespace cli {
namespace {

constexpr const char* kReceiveWaitVariable = "TARVIKCTL_RECEIVE_WAIT";
constexpr double kShortestReceiveSeconds = 0.1;
constexpr double kLongestReceiveSeconds = 60;

}  // namespace

double OneShotReceiveSeconds() {
    const char* text = std::getenv(kReceiveWaitVariable);
    if (!text || !*text) return ONE_SHOT_RECEIVE_SECONDS;
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    const bool fits =
        *end == '\0' && seconds >= kShortestReceiveSeconds && seconds <= kLongestReceiveSeconds;
    return fits ? seconds : ONE_SHOT_RECEIVE_SECONDS;
}

int MapBoardDevice(const Options& options, Result* result) {
    if (!options.device.empty() &&
        SetComPortDevice(options.port, options.device.c_str(), 0, COM_MAP_COMMAND_LINE) != 0)
        return result->fail(
            EXIT_USAGE, "cannot map COM" + std::to_string(options.port) + " to " + options.device);
    return EXIT_OK;
}

int OpenBoardLink(const Options& options, bool speedTest, Result* result) {
    if (MapBoardDevice(options, result) != EXIT_OK) return result->status;
    SetReceiveWaitSeconds(speedTest ? 0 : OneShotReceiveSeconds());
    const LinkResult opened = OpenLinkOn(options.port, speedTest ? 1 : 0);
    if (!opened.ok()) return result->fail(EXIT_PORT, opened.reason);
    return EXIT_OK;
}

int CloseBoardLink() {
    const bool settled = ShutdownLink() != 0;
    if (!settled && StopSignal() != 0)
        Complain("A late answer may still come; wait 5 s before the next command");
    return StopSignal();
}

}  // namespace cli
