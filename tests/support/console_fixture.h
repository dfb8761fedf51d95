#pragma once
// A console started as main() starts it (panel loaded and shown, defaults,
// run-time controls), with helpers to operate controls as the operator does
// and to read the serial monitor.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/popup_recorder.h"

class ConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Clicks a command button or toggle with the mouse.
    void click(int control);
    // Types text into a string or numeric control and presses Enter.
    void type(int control, const std::string& text);
    // Sets a value the way the program does (no event).
    void setText(int control, const std::string& text);
    std::string text(int control);
    std::vector<std::string> monitorLines();
    std::string lastMonitorLine();
    // The monitor's lines without the frame dumps ("TX: ", "RX: " and their words).
    std::vector<std::string> messages();

    PopupRecorder popups;
};

// Processes events for about `ms` milliseconds.
void PumpEvents(int ms);
// Processes events until done() holds, at most about `ms` milliseconds; returns done().
bool PumpUntil(const std::function<bool()>& done, int ms = 3000);
