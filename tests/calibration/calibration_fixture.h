#pragma once
// The console connected to the virtual board, with the helpers the
// calibration tests share: typing voltages, reading frames by address and
// searching the monitor.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/board_fixture.h"

// The calculations' closing lines, each one monitor line with its line break.
inline const std::string kCoefficientsSentLine =
    "The calculated coeficients \n successfully sent into the hardware";
inline const std::string kDefaultsSavedLine = "Calculation with error;\n saved default values";

class CalibrationTest : public BoardTest {
  protected:
    // Connects, with the calibration's counts and coefficients zero as at start-up.
    void SetUp() override;

    // Types volts into a numeric box with the four decimals a box keeps, as an
    // operator copies a meter reading.
    void typeVolts(int box, double volts);
    // Clicks and returns the frames the click sent.
    std::vector<std::vector<uint32_t>> clickAndCollect(int button);
    bool monitorHas(const std::string& line);
    // Monitor lines from the first one equal to `from` on; empty when absent.
    std::vector<std::string> monitorFrom(const std::string& from);
    bool dimmed(int control);
    int intValue(int control);
};

// The board address a request's last word carries.
int FrameAddress(const std::vector<uint32_t>& frame);
// The data words of a block-write request.
std::vector<uint32_t> BlockData(const std::vector<uint32_t>& frame);
