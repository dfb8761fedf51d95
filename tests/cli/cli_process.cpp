#include "tests/cli/cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

extern char** environ;

namespace {

constexpr int kReadChunk = 4096;
// How often a child that closed its outputs is looked at until it has exited.
constexpr std::chrono::milliseconds kReapPoll{10};
constexpr int kSignalStatusBase = 128;

double nowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

int count(const std::string& text, const std::string& piece) {
    int found = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++found;
    return found;
}

int shellStatus(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return kSignalStatusBase + WTERMSIG(waitStatus);
    return -1;
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& args, Output output) {
    // A child that exits before reading its input must fail our write, not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    std::array<int, 2> in{-1, -1}, out{-1, -1}, err{-1, -1};
    if (pipe2(in.data(), O_CLOEXEC) != 0 || pipe2(out.data(), O_CLOEXEC) != 0 ||
        pipe2(err.data(), O_CLOEXEC) != 0) {
        for (auto* pair : {&in, &out, &err})
            for (int& fd : *pair) closeFd(fd);
        return;
    }
    if (output == Output::ReaderGone) closeFd(out[0]);
    std::vector<std::string> words{TARVIK_CTL_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    // The child gets Ctrl+C and broken pipes as a program started from a shell does, whatever
    // the test process (started in the background, say) ignores or blocks.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, mask;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&mask);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &mask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    startSeconds_ = nowSeconds();
    if (posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), environ) != 0) pid_ = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);

    closeFd(in[0]);
    closeFd(out[1]);
    closeFd(err[1]);
    inFd_ = in[1];
    outFd_ = out[0];
    errFd_ = err[0];
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int ignored = 0;
        ::waitpid(pid_, &ignored, 0);
    }
    closeFd(inFd_);
    closeFd(outFd_);
    closeFd(errFd_);
}

bool CliProcess::write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size() && inFd_ >= 0) {
        const ssize_t n = ::write(inFd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return done == text.size();
}

void CliProcess::closeInput() {
    closeFd(inFd_);
}

void CliProcess::interrupt() {
    signal(SIGINT);
}

void CliProcess::signal(int number) {
    if (pid_ > 0) ::kill(pid_, number);
}

int CliProcess::msLeft() const {
    return kLifetimeMs - static_cast<int>((nowSeconds() - startSeconds_) * 1000);
}

void CliProcess::collect(int timeoutMs) {
    std::array<pollfd, 2> fds{{{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}}};
    if (::poll(fds.data(), fds.size(), std::max(timeoutMs, 0)) <= 0) return;
    std::array<int*, 2> owners{&outFd_, &errFd_};
    std::array<std::string*, 2> sinks{&outcome_.out, &outcome_.err};
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        char chunk[kReadChunk];
        const ssize_t n = ::read(*owners[i], chunk, sizeof chunk);
        if (n > 0)
            sinks[i]->append(chunk, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            closeFd(*owners[i]);
    }
}

bool CliProcess::waitForError(const std::string& text, int times, int timeoutMs) {
    const double until = nowSeconds() + timeoutMs / 1000.0;
    while (count(outcome_.err, text) < times) {
        const int left = std::min(msLeft(), static_cast<int>((until - nowSeconds()) * 1000));
        if (left <= 0 || errFd_ < 0) return false;
        collect(left);
    }
    return true;
}

CliOutcome CliProcess::finish() {
    closeInput();
    if (pid_ <= 0) return outcome_;
    while (outputsOpen() && msLeft() > 0) collect(msLeft());
    int waitStatus = 0;
    pid_t reaped = 0;
    while ((reaped = ::waitpid(pid_, &waitStatus, WNOHANG)) == 0 && msLeft() > 0)
        std::this_thread::sleep_for(kReapPoll);
    if (reaped == 0) {
        ::kill(pid_, SIGKILL);
        outcome_.killed = true;
        reaped = ::waitpid(pid_, &waitStatus, 0);
    }
    if (reaped == pid_) outcome_.status = shellStatus(waitStatus);
    pid_ = -1;
    closeFd(outFd_);
    closeFd(errFd_);
    return outcome_;
}

CliOutcome RunCli(const std::vector<std::string>& args, const std::string& input) {
    CliProcess process(args);
    if (!input.empty()) process.write(input);
    return process.finish();
}
