#pragma once
// The console connected on COM1 to a virtual board on a pseudo-terminal, for
// tests that drive a whole command and check the bytes that reached the board.

#include <cstdint>
#include <string>
#include <vector>

#include "boardsim/board.h"
#include "tests/support/console_fixture.h"

class BoardTest : public ConsoleTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens COM1 afresh (whatever was open is dropped, no late answer awaited)
    // and marks the link connected as a connect does, with a fixed receive wait
    // of a second instead of the speed test. Clears the monitor and the board's
    // recording.
    void connectQuickly();
    // The console's requests since the recording was last cleared, split into
    // frames by their headers' word counts, as words.
    std::vector<std::vector<uint32_t>> framesSent();
    // Waits until the board has served n requests (complete frames).
    bool waitForRequests(std::size_t n, int timeoutMs = 3000);
    // Shortens the receive wait to 0.1 s, so that silence tests end quickly.
    void shortenReceiveWait();

    boardsim::Board board;
};

// The line that says what to check after a receive timed out, for COM<port> on device.
std::string NoAnswerAdvice(const std::string& device, int port = 1);

// The bit pattern of a float, and back (the console's own conversion).
uint32_t FloatBits(float value);
float BitsFloat(uint32_t bits);
