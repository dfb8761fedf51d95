#pragma once
// A serial port whose far end answers from a script, for what the virtual board cannot be
// made to do: answers in any byte order, and an output queue that stops draining.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <vector>

struct ScriptedLine {
    std::vector<uint8_t> written;
    std::deque<uint8_t> input;
    // The answer to each CR in turn; once used up, every CR is answered XOFF, ACK, XON.
    std::deque<std::vector<uint8_t>> answers;
    // Bytes that leave the output queue; the ones written after them stay in it.
    std::size_t drainingBytes = std::numeric_limits<std::size_t>::max();
};

// Connects the link on COM<port> over a scripted line (the port open before is given up) and
// returns the line, which lives until the port is closed and the caller lets go of it.
std::shared_ptr<ScriptedLine> OpenScriptedPort(int port);
