#include "calibration/coefficient_transfer.h"

#include <cstdio>

#include "panel/channels.h"
#include "panel/serial_monitor.h"
#include "registers/block_access.h"

const char COEFFICIENTS_SENT_TEXT[] =
    "The calculated coeficients \n successfully sent into the hardware";
const char CALCULATED_COEFFICIENTS_TEXT[] = "Calculated ceficients:";
const char COEFFICIENT_LINE_FORMAT[] = "Ch%d: GCF: %.7g, OCF: %.7g";

void LogCoefficientLine(int channelNumber, float gain, float offset) {
    std::snprintf(disp_str, sizeof disp_str, COEFFICIENT_LINE_FORMAT, channelNumber,
                  static_cast<double>(gain), static_cast<double>(offset));
    LogToWindow(disp_str);
}

void LogSaveOutcome(const char* what, const CoefficientWrite& last) {
    // Operators took Save for a flash write; say plainly what it is not.
    int n =
        std::snprintf(disp_str, sizeof disp_str,
                      "Save %s coefficients: nothing sent, the board has no save command; ", what);
    const int size = static_cast<int>(sizeof disp_str) - n;
    if (last.outcome == CoefficientWrite::NONE) {
        std::snprintf(disp_str + n, size, "no calculation of this session wrote coefficients");
    } else if (last.outcome == CoefficientWrite::FAILED) {
        std::snprintf(disp_str + n, size,
                      "the last calculation did not write its coefficients to the board");
    } else if (last.count == 1) {
        std::snprintf(disp_str + n, size,
                      "the last calculation wrote channel %d's coefficients to the board",
                      last.first + 1);
    } else {
        std::snprintf(disp_str + n, size,
                      "the last calculation wrote channels %d to %d's coefficients to the board",
                      last.first + 1, last.first + last.count);
    }
    LogToWindow(disp_str);
}

RegisterResult WriteCoefficientBlocks(int gainAddress, int offsetAddress, int count,
                                      const float* gains, const float* offsets) {
    const RegisterResult written = WriteBlock(gainAddress, count, gains);
    if (!written.ok()) return written;
    return WriteBlock(offsetAddress, count, offsets);
}

RegisterResult ReadCoefficientBlocks(int gainAddress, int offsetAddress, float gains[],
                                     float offsets[]) {
    const RegisterResult read = ReadBlock(gainAddress, CHANNEL_COUNT, gains);
    if (!read.ok()) return read;
    return ReadBlock(offsetAddress, CHANNEL_COUNT, offsets);
}

void DisplayCoefficientBlocks(const char* title, int gainAddress, int offsetAddress) {
    float gains[CHANNEL_COUNT];
    float offsets[CHANNEL_COUNT];
    if (!ReadCoefficientBlocks(gainAddress, offsetAddress, gains, offsets).ok()) return;
    LogToWindow(title);
    for (int i = 0; i < CHANNEL_COUNT; ++i) LogCoefficientLine(i + 1, gains[i], offsets[i]);
}
