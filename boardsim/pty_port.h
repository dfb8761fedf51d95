#pragma once
// The board's end of the serial line: the master side of a pseudo-terminal, raw, whose slave
// path the console opens as its COM port.

#include <cstddef>
#include <cstdint>
#include <string>

namespace boardsim {

class PtyPort {
  public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Creates the pair, raw 8N1 38400 on both sides. The port keeps a slave descriptor of its
    // own, so the console may close and reopen the slave at will without the master seeing a
    // hang-up. False with a message in `error` on failure; the port is then closed.
    bool open(std::string* error);
    // Closes both sides: a console holding the slave sees the line hang up.
    void close();
    bool isOpen() const { return master_ >= 0; }

    const std::string& slavePath() const { return slavePath_; }
    // Descriptors to poll for input: the master, and a watch that fires when someone closes the
    // slave (-1 if watching is not possible).
    int masterFd() const { return master_; }
    int watchFd() const { return watch_; }

    // Reads what is waiting, without blocking: bytes read, 0 when nothing is there, -1 when
    // the line is unusable.
    long readAvailable(uint8_t* buffer, std::size_t capacity);

    // Writes all of `bytes`, waiting at most `timeoutMs` for room in the line. Returns how many
    // were written: fewer when the line refused or stayed full (nobody reading), the rest
    // dropped.
    std::size_t writeAll(const uint8_t* bytes, std::size_t count, int timeoutMs);

    // Waits, at most `timeoutMs`, until the console has read what was sent: a hang-up throws
    // away whatever still waits in the slave's input, unlike bytes already on a real wire.
    void waitUntilTaken(int timeoutMs);

    // Call when watchFd() is readable. A console that asked for exclusive access and then
    // closed the slave would otherwise lock every later open out, since the tty never sees
    // its last close while the port holds its own descriptor.
    void onSlaveActivity();

  private:
    int master_ = -1;
    int slave_ = -1;
    int watch_ = -1;
    std::string slavePath_;
};

}  // namespace boardsim
