#pragma once
// What tarvikctl tells: the monitor's lines on standard error, popups as
// lines, and each command's result, plain or as one JSON object.

#include <string>
#include <vector>

namespace cli {

// Routes the routines' monitor lines to standard error: every line when
// verbose, else only the lines that report a problem (ERROR, WARNING,
// FAILURE, status errors), so a failure is never silent.
void StartLogging(bool verbose);
// The last monitor line logged, shown or not ("" before the first).
std::string LastLoggedLine();
// The lines that reported a problem, in order, joined by "; " ("" when none).
std::string ProblemLines();

// Writes "tarvikctl: <text>" on standard error.
void Complain(const std::string& text);

// Answers the routines' popups for a run without a window: each message
// becomes a "tarvikctl: <title>: <message>" line on standard error; a
// question is answered No, its default; a file dialog is answered with
// file. Installed until the program ends.
void AnswerPopups(const std::string& file);
// The last popup's message ("" when none came).
std::string LastPopupMessage();

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
};

// Prints the result: as JSON, one object with "command", its fields,
// "status" and, on failure, "error", on standard output; plain, its lines on
// standard output and the error on standard error.
void PrintResult(const std::string& command, const Result& result, bool json);

}  // namespace cli
