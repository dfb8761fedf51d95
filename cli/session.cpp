#include "cli/session.h"

#include "link/connection.h"
#include "link/transaction.h"
#include "runtime/rs232.h"

namespace cli {

int OpenBoardLink(const Options& options, bool speedTest, Result* result) {
    InitLinkState();
    if (!options.device.empty() && SetComPortDevice(options.port, options.device.c_str(), 0) != 0)
        return result->fail(
            EXIT_USAGE, "cannot map COM" + std::to_string(options.port) + " to " + options.device);
    SetReceiveWaitSeconds(speedTest ? 0 : ONE_SHOT_RECEIVE_SECONDS);
    const int opened = OpenLinkOn(options.port, speedTest ? 1 : 0);
    // The routines' last line names the device, the system's reason and the fix.
    if (opened == LINK_OPEN_FAILED) return result->fail(EXIT_PORT, LastLoggedLine());
    if (opened != 1) return result->fail(EXIT_PORT, "the port went away during the speed test");
    return EXIT_OK;
}

void CloseBoardLink() {
    if (g_iConnection_status == 1) CloseCom(g_iCom_port_num);
    g_iConnection_status = 0;
}

int BoardFailed(Result* result, const std::string& what) {
    // Every problem line counts: after a status error the last one only says
    // that no valid answer came, the one before it says what the board reported.
    const std::string problems = ProblemLines();
    return result->fail(EXIT_BOARD, problems.empty() ? what : what + " (" + problems + ")");
}

}  // namespace cli
