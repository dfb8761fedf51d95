#include "tests/support/board_fixture.h"

#include <algorithm>
#include <cstring>

#include "app/shell.h"
#include "link/connection.h"
#include "link/frame.h"
#include "link/serial_link.h"
#include "link/testing.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "tests/support/pty_pair.h"

namespace {
constexpr int kBoardPort = 1;
// The receive wait of tests that do not test the speed test: far above the virtual board's
// answer time (milliseconds), even on a loaded machine, and short enough that a test of
// silence is quick.
constexpr double kReceiveWaitSeconds = 1.0;
constexpr double kShortReceiveWaitSeconds = 0.1;
}  // namespace

std::string NoAnswerAdvice(const std::string& device, int port) {
    return "Check the board's power, the cable, and that COM" + std::to_string(port) +
           " is the board's device (" + device +
           "); a board left in its bootloader answers only a firmware upgrade";
}

uint32_t FloatBits(float value) {
    return FloatToWord(value);
}

float BitsFloat(uint32_t bits) {
    return WordToFloat(bits);
}

void BoardTest::SetUp() {
    ConsoleTest::SetUp();
    std::string error;
    ASSERT_TRUE(board.start(&error)) << error;
    board.setRawTemperature(500);
    MapComPort(kBoardPort, board.devicePath());
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, kBoardPort);
}

void BoardTest::TearDown() {
    DropLinkForTest();
    board.stop();
    ConsoleTest::TearDown();
}

void BoardTest::connectQuickly() {
    // Afresh: no port held, no late answer awaited from an earlier case.
    DropLinkForTest();
    SetReceiveWaitSeconds(kReceiveWaitSeconds);
    ASSERT_TRUE(OpenLinkOn(kBoardPort, 0).ok());
    SetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, 0.25);
    SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "Disconnect");
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_iSerial_comm_cnt = 0;
    board.clearRecording();
}

void BoardTest::shortenReceiveWait() {
    SetReceiveWaitSeconds(kShortReceiveWaitSeconds);
}

std::vector<std::vector<uint32_t>> BoardTest::framesSent() {
    std::vector<uint8_t> bytes = board.received();
    std::vector<std::vector<uint32_t>> frames;
    size_t at = 0;
    while (at + 4 <= bytes.size()) {
        std::vector<uint32_t> frame;
        auto wordAt = [&](size_t i) { return WordFromBytes(&bytes[i]); };
        const uint32_t header = wordAt(at);
        const size_t words = header & 0xFFFF;
        for (size_t w = 0; w < words && at + 4 <= bytes.size(); ++w, at += 4)
            frame.push_back(wordAt(at));
        frames.push_back(frame);
        if (words == 0) break;
    }
    return frames;
}

bool BoardTest::waitForRequests(std::size_t n, int timeoutMs) {
    return board.waitForRequestsServed(n, timeoutMs);
}
