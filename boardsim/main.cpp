// boardsim: the virtual board as a program, for the console's default run and for operators
// who want to try the console without hardware. See usageText() for the options.

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>

#include "boardsim/board.h"
#include "boardsim/options.h"

namespace {

constexpr long kHangUpCheckNanos = 200'000'000L;
constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;
constexpr std::size_t kLinkTargetCapacity = 4096;
constexpr std::size_t kRecordLineCapacity = 64;

// Points `link` at `target`, replacing an earlier symlink but never any other kind of file.
bool placeLink(const std::string& link, const std::string& target) {
    std::string existing(kLinkTargetCapacity, '\0');
    if (readlink(link.c_str(), existing.data(), existing.size()) >= 0) {
        if (unlink(link.c_str()) != 0) return false;
    } else if (errno != ENOENT) {
        errno = EEXIST;
        return false;
    }
    return symlink(target.c_str(), link.c_str()) == 0;
}

void removeLink(const std::string& link, const std::string& target) {
    char existing[256] = {};
    const ssize_t n = readlink(link.c_str(), existing, sizeof existing - 1);
    if (n >= 0 && target == std::string(existing, static_cast<std::size_t>(n)))
        unlink(link.c_str());
}

bool writeRecording(const boardsim::Board& board, const std::string& path) {
    std::ofstream out(path);
    for (const boardsim::WireByte& b : board.recording()) {
        std::array<char, kRecordLineCapacity> line{};
        std::snprintf(line.data(), line.size(), "%.6f %s %02X\n", b.seconds,
                      b.fromConsole ? "console" : "board", b.value);
        out << line.data();
    }
    return static_cast<bool>(out);
}

void configure(boardsim::Board& board, const boardsim::ProgramOptions& o) {
    if (o.firmwareVersion) board.setFirmwareVersion(*o.firmwareVersion);
    if (o.rawTemperature) board.setRawTemperature(*o.rawTemperature);
    board.setPacing(o.pace);
    board.setAutoBootloader(o.autoBootloader);
    board.setBootloaderMode(o.bootloader);
    for (const boardsim::Fault& f : o.faults) board.setFault(f);
    for (const boardsim::BootBadAnswer& b : o.bootBadAnswers) {
        board.setBootloaderBadAnswer(b.line, b.byteIndex, b.value);
    }
    if (o.bootSilentFrom) board.setBootloaderSilentFrom(*o.bootSilentFrom);
}

// A new line after a hang-up, as when a cable is plugged back in.
bool replug(boardsim::Board& board, const std::string& link, std::string& target) {
    std::string error;
    if (!board.start(&error)) {
        std::cerr << "boardsim: cannot make a new line: " << error << "\n";
        return false;
    }
    if (!link.empty()) {
        removeLink(link, target);
        if (!placeLink(link, board.devicePath())) {
            std::cerr << "boardsim: cannot link " << link << ": " << std::strerror(errno) << "\n";
        }
    }
    target = board.devicePath();
    std::cerr << "boardsim: line hung up; now serving " << target << "\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    boardsim::ProgramOptions options;
    std::string error;
    if (!boardsim::parseOptions(argc, argv, options, error)) {
        std::cerr << "boardsim: " << error << "\n";
        return kExitUsage;
    }
    if (options.help) {
        const std::string started = argv[0] ? argv[0] : "boardsim";
        std::cout << boardsim::usageText(started.substr(started.find_last_of('/') + 1));
        return 0;
    }

    // Signals are taken synchronously below; the serving thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    boardsim::Board board;
    configure(board, options);
    if (!board.start(&error)) {
        std::cerr << "boardsim: " << error << "\n";
        return kExitFailure;
    }
    std::string target = board.devicePath();
    if (!options.linkPath.empty() && !placeLink(options.linkPath, target)) {
        std::cerr << "boardsim: cannot link " << options.linkPath << ": " << std::strerror(errno)
                  << "\n";
        return kExitFailure;
    }
    std::cout << (options.linkPath.empty() ? target : options.linkPath) << std::endl;
    std::cerr << "boardsim: serving " << target << "\n";

    const timespec tick{0, kHangUpCheckNanos};
    int status = 0;
    for (;;) {
        const int sig = sigtimedwait(&stopSignals, nullptr, &tick);
        if (sig == SIGINT || sig == SIGTERM) break;
        if (board.hungUp() && !replug(board, options.linkPath, target)) {
            status = kExitFailure;
            break;
        }
    }

    board.stop();
    if (!options.linkPath.empty()) removeLink(options.linkPath, target);
    if (!options.recordPath.empty() && !writeRecording(board, options.recordPath)) {
        std::cerr << "boardsim: cannot write " << options.recordPath << "\n";
        status = kExitFailure;
    }
    return status;
}
