#pragma once
// Each command's result: plain lines for people and grep, or one JSON object.

#include <string>
#include <vector>

#include "cli/options.h"

namespace cli {

// A JSON text for a string (bytes that are not UTF-8 become U+FFFD), a number with 7 significant
// digits (null when not finite) or an integer.
std::string JsonString(const std::string& text);
std::string JsonNumber(double value);
std::string JsonInteger(long long value);
// "[a,b]" of JSON texts.
std::string JsonArray(const std::vector<std::string>& elements);

// A command's outcome: its exit status, its results as JSON fields (name and
// JSON text), the plain lines for people and grep, and why it failed.
struct Result {
    int status = 0;
    std::vector<std::pair<std::string, std::string>> fields;
    std::vector<std::string> lines;
    std::string error;

    void field(const std::string& name, const std::string& json) {
        fields.emplace_back(name, json);
    }
    // Ends the command with status and the reason; returns status.
    int fail(int exitStatus, const std::string& why) {
        status = exitStatus;
        error = why;
        return status;
    }
    // Ends a board command that failed: EXIT_BOARD, "<what>: <the routine's reason>".
    template <typename RoutineResult>
    int boardFailed(const std::string& what, const RoutineResult& routine) {
        return fail(EXIT_BOARD, what + ": " + routine.reason);
    }
};

// Writes text on standard output at once. A reader that went away (a closed pipe) is not
// told of: true either way; false, with "tarvikctl: cannot write standard output: <why>" on
// standard error, for any other failure (a full disk).
bool WriteOutput(const std::string& text);

// Prints the result: with --json, one object with "command", its fields, "status" and, on
// failure, "error", on standard output; plain, its lines there, none with -q. A failure's
// error is also told once on standard error, as "tarvikctl: <error>". Writes as WriteOutput.
void PrintResult(const std::string& command, const Result& result, const Options& options);

}  // namespace cli
