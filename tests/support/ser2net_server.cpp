#include "tests/support/ser2net_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr const char* kProgram = "/usr/sbin/ser2net";
constexpr const char* kLoopback = "127.0.0.1";
constexpr auto kListenWait = std::chrono::seconds(10);
constexpr auto kListenPoll = std::chrono::milliseconds(5);
// /proc/net/tcp's state of a listening socket.
constexpr const char* kListening = "0A";

// Whether something listens on 127.0.0.1:port, found in /proc/net/tcp without connecting
// (a connection would make ser2net open the device and close it again).
bool listening(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (local == wanted && state == kListening) return true;
    }
    return false;
}

}  // namespace

bool Ser2netServer::Installed() {
    return access(kProgram, X_OK) == 0;
}

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int ListenOnLoopback(int* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 1) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

int Ser2netServer::FreePort() {
    int port = 0;
    const int fd = ListenOnLoopback(&port);
    if (fd >= 0) ::close(fd);
    return port;
}

Ser2netServer::~Ser2netServer() {
    kill();
    if (!config_.empty()) std::remove(config_.c_str());
}

bool Ser2netServer::start(const std::string& device, Accepter accepter, std::string* error,
                          CharDelay charDelay) {
    device_ = device;
    accepter_ = accepter;
    port_ = FreePort();
    config_ =
        (std::filesystem::temp_directory_path() /
         ("tarvik-ser2net-" + std::to_string(::getpid()) + "-" + std::to_string(port_) + ".yaml"))
            .string();
    std::ofstream(config_) << "%YAML 1.1\n---\nconnection: &board\n  accepter: "
                           << (accepter == Accepter::Rfc2217 ? "telnet(rfc2217),tcp," : "tcp,")
                           << kLoopback << "," << port_ << "\n  connector: serialdev," << device
                           << ",38400n81,local\n"
                           << (charDelay == CharDelay::Off ? "  options:\n    chardelay: false\n"
                                                           : "");
    return launch(error);
}

bool Ser2netServer::restart(std::string* error) {
    return launch(error);
}

bool Ser2netServer::launch(std::string* error) {
    pid_ = ::fork();
    if (pid_ == 0) {
        // Its chatter would fill the test's output. Only async-signal-safe calls here: the
        // test's process has threads.
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        ::execl(kProgram, kProgram, "-n", "-d", "-c", config_.c_str(), nullptr);
        ::_exit(127);
    }
    const auto until = std::chrono::steady_clock::now() + kListenWait;
    while (!listening(port_)) {
        int status = 0;
        if (pid_ < 0 || ::waitpid(pid_, &status, WNOHANG) == pid_) {
            *error = "ser2net did not start";
            pid_ = -1;
            return false;
        }
        if (std::chrono::steady_clock::now() > until) {
            *error = "ser2net does not listen on port " + std::to_string(port_);
            return false;
        }
        std::this_thread::sleep_for(kListenPoll);
    }
    return true;
}

void Ser2netServer::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string Ser2netServer::url() const {
    return std::string(accepter_ == Accepter::Rfc2217 ? "rfc2217://" : "tcp://") + kLoopback + ":" +
           std::to_string(port_);
}
