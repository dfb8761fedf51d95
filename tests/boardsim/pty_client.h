#pragma once
// The console's side of the line, reduced to what the tests need: open the slave raw, write
// bytes, read bytes with a time limit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "boardsim/board.h"

namespace boardsim_test {

using Bytes = std::vector<uint8_t>;

class PtyClient {
  public:
    explicit PtyClient(const std::string& path);
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void send(const Bytes& bytes);
    // Reads until `count` bytes have come or `timeoutMs` has passed; returns what came.
    Bytes read(std::size_t count, int timeoutMs = 2000);
    // Reads until the line has been quiet for `quietMs`.
    Bytes readUntilQuiet(int quietMs);
    // True when the line reports a hang-up (read gives EIO or end of file) within `timeoutMs`.
    bool hungUp(int timeoutMs);

  private:
    int fd_ = -1;
};

// A request frame from words: checksum added to the last word, most significant byte first.
Bytes request(std::vector<uint32_t> words);
Bytes getRegister(uint16_t address);
Bytes setRegister(uint16_t address, uint16_t mask, uint16_t value);
Bytes getBlock(uint16_t address, uint32_t count);
Bytes setBlock(uint16_t address, const std::vector<uint32_t>& data);

// Splits an answer into host-order words.
std::vector<uint32_t> words(const Bytes& bytes);
uint32_t bitsOf(float f);
float floatOf(uint32_t bits);

// A started board with a client on its line.
struct Bench {
    Bench();
    boardsim::Board board;
    std::string startError;
    bool started;
    PtyClient client;
    // Sends `rq` and reads `answerBytes` bytes back.
    Bytes exchange(const Bytes& rq, std::size_t answerBytes);
    // Reads register `address` through the line; 0xFFFFFFFF when the answer did not come.
    uint32_t readRegister(uint16_t address);
};

}  // namespace boardsim_test
