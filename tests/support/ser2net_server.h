#pragma once
// A real ser2net serving one pseudo-terminal on 127.0.0.1, from a configuration written for
// the test: a raw "tcp" accepter, or a "telnet(rfc2217)" one.

#include <netinet/in.h>
#include <sys/types.h>

#include <string>

class Ser2netServer {
  public:
    enum class Accepter { RawTcp, Rfc2217 };
    // ser2net holds what the board sends for at least 1 ms before it forwards it, unless its
    // "chardelay" option is off, as the README's configuration has it.
    enum class CharDelay { Off, ServersDefault };

    // Whether ser2net is installed (scripts/install-deps.sh --tests installs it).
    static bool Installed();
    // A TCP port on 127.0.0.1 that nothing listens on now.
    static int FreePort();

    ~Ser2netServer();  // stops it

    // Starts ser2net for device on a free port and waits until it listens. False, with the
    // reason in *error, when it does not.
    bool start(const std::string& device, Accepter accepter, std::string* error,
               CharDelay charDelay = CharDelay::Off);
    // Kills it at once, as a host that went away (SIGKILL).
    void kill();
    // Starts it again on the same port and device after kill(). False as start().
    bool restart(std::string* error);
    // The URL a COM port is mapped to: "tcp://127.0.0.1:PORT" or "rfc2217://127.0.0.1:PORT".
    std::string url() const;
    int port() const { return port_; }

  private:
    bool launch(std::string* error);
    std::string device_, config_;
    Accepter accepter_ = Accepter::RawTcp;
    int port_ = 0;
    pid_t pid_ = -1;
};

// 127.0.0.1 at port.
sockaddr_in LoopbackAddress(int port);
// A socket listening on 127.0.0.1 at a free port, that port in *port; -1 when none can be had.
int ListenOnLoopback(int* port);
