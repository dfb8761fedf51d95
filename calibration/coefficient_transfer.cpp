#include "calibration/coefficient_transfer.h"

#include <cstdio>

#include "app/serial_monitor.h"
#include "app/shell.h"
#include "registers/block_access.h"

const char COEFFICIENTS_SENT_TEXT[] =
    "The calculated coeficients \n successfully sent into the hardware";
const char CALCULATED_COEFFICIENTS_TEXT[] = "Calculated ceficients:";
const char COEFFICIENT_LINE_FORMAT[] = "Ch%d: GCF: %.2f, OCF: %.2f";

void LogCoefficientLine(const char* lineFormat, int channelNumber, float gain, float offset) {
    std::snprintf(disp_str, sizeof disp_str, lineFormat, channelNumber, static_cast<double>(gain),
                  static_cast<double>(offset));
    LogToWindow(disp_str);
}

int WriteCoefficientBlocks(int gainAddress, int offsetAddress, int count, const float* gains,
                           const float* offsets) {
    if (SetBlock(gainAddress, count, gains) <= 0) return 0;
    return SetBlock(offsetAddress, count, offsets) > 0;
}

void DisplayCoefficientBlocks(const char* title, int gainAddress, int offsetAddress,
                              const char* lineFormat) {
    float gains[CHANNEL_COUNT];
    float offsets[CHANNEL_COUNT];
    if (GetBlock(gainAddress, CHANNEL_COUNT, gains) <= 0) return;
    if (GetBlock(offsetAddress, CHANNEL_COUNT, offsets) <= 0) return;
    LogToWindow(title);
    for (int i = 0; i < CHANNEL_COUNT; ++i)
        LogCoefficientLine(lineFormat, i + 1, gains[i], offsets[i]);
}
