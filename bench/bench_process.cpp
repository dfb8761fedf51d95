#include "bench/bench_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fstream>

extern char** environ;

namespace {

constexpr mode_t kErrorFileMode = 0644;
constexpr double kNanosecondsPerSecond = 1e9;
constexpr double kMicrosecondsPerSecond = 1e6;

double SecondsOf(const timeval& time) {
    return static_cast<double>(time.tv_sec) +
           static_cast<double>(time.tv_usec) / kMicrosecondsPerSecond;
}

double SecondsOf(const timespec& time) {
    return static_cast<double>(time.tv_sec) +
           static_cast<double>(time.tv_nsec) / kNanosecondsPerSecond;
}

pid_t Spawn(const char* program, std::vector<char*> argv, const std::string& errorFile) {
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, kErrorFileMode);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program, &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    return spawned == 0 ? pid : -1;
}

pid_t StartProgram(const char* path, const std::vector<std::string>& words,
                   const std::string& errorFile) {
    std::vector<char*> argv{const_cast<char*>(path)};
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    return Spawn(path, argv, errorFile);
}

}  // namespace

pid_t StartCtl(const std::vector<std::string>& words, const std::string& errorFile) {
    return StartProgram(TARVIK_CTL_PATH, words, errorFile);
}

ProcessRun RunProgram(const char* path, const std::vector<std::string>& words,
                      const std::string& errorFile) {
    const double start = MonotonicSeconds();
    return FinishCtl(StartProgram(path, words, errorFile), start);
}

ProcessRun FinishCtl(pid_t pid, double startSeconds) {
    ProcessRun run;
    if (pid <= 0) return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.wallSeconds = MonotonicSeconds() - startSeconds;
    run.cpuSeconds = SecondsOf(usage.ru_utime) + SecondsOf(usage.ru_stime);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

ProcessRun RunCtl(const std::vector<std::string>& words, const std::string& errorFile) {
    return RunProgram(TARVIK_CTL_PATH, words, errorFile);
}

std::string LastLineOf(const std::string& errorFile) {
    std::ifstream lines(errorFile);
    std::string line, last;
    while (std::getline(lines, line))
        if (!line.empty()) last = line;
    return last;
}

std::vector<pid_t> StartBurners(int count) {
    static char shell[] = "/bin/sh", dashC[] = "-c", loop[] = "while :; do :; done";
    std::vector<pid_t> burners;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = Spawn(shell, {shell, dashC, loop}, "/dev/null");
        if (pid > 0) burners.push_back(pid);
    }
    return burners;
}

void StopBurners(std::vector<pid_t>& burners) {
    for (const pid_t pid : burners) ::kill(pid, SIGKILL);
    for (const pid_t pid : burners) waitpid(pid, nullptr, 0);
    burners.clear();
}

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return SecondsOf(now);
}

double ThreadCpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return SecondsOf(used);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<long>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}
