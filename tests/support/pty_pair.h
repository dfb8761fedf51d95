#pragma once
// A bare pseudo-terminal pair for testing the serial layer: the test plays
// the far end on the master side.

#include <cstdint>
#include <string>
#include <vector>

class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    const std::string& slavePath() const { return slavePath_; }
    void write(const std::vector<std::uint8_t>& bytes);
    // Reads what arrives within timeoutMs, up to count bytes.
    std::vector<std::uint8_t> read(size_t count, int timeoutMs);
    void hangUp();  // closes the master side

  private:
    int master_ = -1;
    std::string slavePath_;
};

// Maps COM<port> to path for this process (TARVIK_COM<port>).
void MapComPort(int port, const std::string& path);
