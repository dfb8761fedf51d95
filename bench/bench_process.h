#pragma once
// Processes the benchmarks start and measure: tarvikctl runs, timed from start to exit with
// the processor time they used, and busy processes that load the machine.

#include <sys/types.h>

#include <string>
#include <vector>

// How a process ended: its exit status (-1 when it did not start or did not exit by itself),
// its wall time from start to exit, and its processor time (user and system).
struct ProcessRun {
    int status = -1;
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

// Starts tarvikctl with words, its standard output dropped and its standard error written
// to errorFile (a file, as when a script keeps a log: an upgrade then writes plain progress
// lines, no bar). Returns the process, or -1 when it did not start.
pid_t StartCtl(const std::vector<std::string>& words, const std::string& errorFile);
// Waits for a process StartCtl started at startSeconds (MonotonicSeconds) to end.
ProcessRun FinishCtl(pid_t pid, double startSeconds);
// StartCtl, then FinishCtl.
ProcessRun RunCtl(const std::vector<std::string>& words, const std::string& errorFile);
// The same for another program, at its path (the reference a process start is held to).
ProcessRun RunProgram(const char* path, const std::vector<std::string>& words,
                      const std::string& errorFile);
// The last line a run wrote to its error file.
std::string LastLineOf(const std::string& errorFile);

// Starts count processes that each keep a core busy until StopBurners.
std::vector<pid_t> StartBurners(int count);
void StopBurners(std::vector<pid_t>& burners);

// The steady clock, and the processor time of the calling thread, in seconds.
double MonotonicSeconds();
double ThreadCpuSeconds();

// The middle value (0 for none).
double Median(std::vector<double> values);
