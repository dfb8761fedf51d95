#pragma once
// The command line of tarvikctl, read with getopt_long: options anywhere among the
// command's words, "--" ending them, short options clustered (-vv), long ones abbreviated
// while that stays unambiguous.

#include <string>
#include <vector>

namespace cli {

// Exit statuses, as the man page gives them.
enum ExitStatus {
    EXIT_OK = 0,
    EXIT_BOARD = 1,          // the board answered with an error or did not answer
    EXIT_USAGE = 2,          // bad usage, or an input refused before anything was sent
    EXIT_PORT = 3,           // the port could not be opened
    EXIT_SIGNAL_BASE = 128,  // plus the signal's number: stopped by SIGINT, SIGTERM, SIGHUP
};

struct Options {
    int port = 1;        // --port N
    std::string device;  // --device PATH: overrides the port's mapping for this run
    bool json = false;
    int verbosity = 0;    // -v: 1, the monitor's lines; -vv: 2, the raw bytes too
    bool quiet = false;   // -q: nothing but errors
    bool floats = false;  // --float
    bool force = false;   // --force: upgrade sends a file without an end-of-file record
    // --defaults-for-failed: a calibration writes its fall-back values to a channel it cannot
    // calculate, instead of keeping the board's own coefficients there.
    bool defaultsForFailed = false;
    bool hasV1 = false, hasV2 = false, hasChannel = false;
    std::string v1, v2, channel;  // --v1, --v2, --channel, as typed
    bool help = false, version = false;
    std::string command;
    std::vector<std::string> args;  // the command's own words, options taken out
};

// Reads argv (argc words, argv[0] the program). A word that starts with '-' and a digit or a
// point is a negative number, not an option, so "set-output 1 -5" needs no "--". Returns
// true with *out filled; false with the reason in *error (for "tarvikctl: <error>") and
// *out untouched. getopt_long may reorder nothing here, but it keeps state between calls:
// one call per program.
bool ParseOptions(int argc, char* argv[], Options* out, std::string* error);

// The --help text.
std::string UsageText();

}  // namespace cli
