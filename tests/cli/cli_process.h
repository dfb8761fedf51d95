#pragma once
// tarvikctl run as a child process, its standard streams on pipes, so that a
// test can feed it input while it runs, watch what it tells, interrupt it, and
// is never held by a child that hangs.

#include <sys/types.h>

#include <string>
#include <vector>

// How a run ended.
struct CliOutcome {
    // The exit status, or 128 + the signal that ended it, as a shell reports it.
    int status = -1;
    std::string out, err;
    // True when the child had to be killed because it outlived the bound.
    bool killed = false;
};

class CliProcess {
  public:
    // Longest a child may run before it is killed; far above what any command needs, yet
    // well under the per-test time-out.
    static constexpr int kLifetimeMs = 40'000;

    // How the child's standard output ends: in the test's pipe, or in a pipe nobody reads
    // (its reader gone before the child starts, as `tarvikctl ports | head -c1` leaves it).
    enum class Output { Collected, ReaderGone };

    // Starts tarvikctl with args (argv[0] excluded).
    explicit CliProcess(const std::vector<std::string>& args, Output output = Output::Collected);
    ~CliProcess();  // kills and reaps a child still running
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Writes to the child's standard input. False when the child no longer reads it.
    bool write(const std::string& text);
    void closeInput();
    // Waits until standard error holds `text` at least `times` times, collecting both
    // outputs meanwhile; false when the child ended or timeoutMs passed first.
    bool waitForError(const std::string& text, int times = 1, int timeoutMs = kLifetimeMs);
    void interrupt();  // SIGINT, as Ctrl+C sends it
    void signal(int number);
    // Closes standard input, collects both outputs until the child ends (killing it when it
    // outlives kLifetimeMs from its start) and reaps it.
    CliOutcome finish();

  private:
    // Reads what is waiting on the output pipes, waiting at most timeoutMs for something.
    void collect(int timeoutMs);
    bool outputsOpen() const { return outFd_ >= 0 || errFd_ >= 0; }
    int msLeft() const;

    pid_t pid_ = -1;
    int inFd_ = -1, outFd_ = -1, errFd_ = -1;
    double startSeconds_ = 0;
    CliOutcome outcome_;
};

// Runs tarvikctl with args to its end, closing its input at once unless input is given.
CliOutcome RunCli(const std::vector<std::string>& args, const std::string& input = "");
