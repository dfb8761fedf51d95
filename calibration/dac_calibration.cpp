#include "calibration/dac_calibration.h"

#include <string>

#include "calibration/channel_select.h"
#include "calibration/coefficient_transfer.h"
#include "calibration/dac_code.h"
#include "calibration/two_point.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/block_access.h"
#include "registers/register_access.h"

float g_fDacCoefGain[CHANNEL_COUNT];
float g_fDacCoefOffset[CHANNEL_COUNT];

namespace {

CoefficientWrite g_lastDacWrite;

CalibrationResult badSelector(int selector) {
    return CalibrationResult::Failure(
        CalibrationError::BadSelector,
        "channel selector " + std::to_string(selector) + ", not 0 (all) to 16");
}

}  // namespace

CalibrationResult DriveDacOutputs(int selector, float volts, int stopOnFailure) {
    int first = 0, count = 0;
    if (!DacChannelSpan(selector, &first, &count)) return badSelector(selector);
    const int code = DacCode(volts);
    unsigned int readback = 0;
    CalibrationResult result;
    for (int i = first; i < first + count; ++i) {
        const RegisterResult written =
            WriteRegister(ADDR_DAC_CODE + i, FULL_REGISTER_MASK, code, &readback);
        if (written.ok()) continue;
        if (result.ok())
            result = CalibrationResult::Failure(
                CalibrationError::BoardFailed,
                "channel " + std::to_string(i + 1) + " not driven: " + written.reason);
        if (stopOnFailure) break;
    }
    return result;
}

ChannelMask DacUncalculableChannels(int selector, float control1, float control2,
                                    const float measured1[], const float measured2[]) {
    int first = 0, count = 0;
    const float limited1 = LimitControlVoltage(control1);
    const float limited2 = LimitControlVoltage(control2);
    if (!DacChannelSpan(selector, &first, &count) || limited1 == limited2) return 0;
    ChannelMask channels = 0;
    for (int i = first; i < first + count; ++i)
        if (DacGainCoefficient(limited1, limited2, measured1[i], measured2[i]) == 0.0f)
            channels |= ChannelBit(i);
    return channels;
}

CalibrationResult CalculateDacCoefficients(int selector, float control1, float control2,
                                           const float measured1[], const float measured2[],
                                           FailedChannels failed) {
    int first = 0, count = 0;
    if (!DacChannelSpan(selector, &first, &count)) return badSelector(selector);
    // A voltage beyond the span set the output to the span's end, so the line
    // must go through the end, not through what was typed.
    const float limited1 = LimitControlVoltage(control1);
    const float limited2 = LimitControlVoltage(control2);
    if (limited1 == limited2)
        return CalibrationResult::Failure(CalibrationError::SameVoltages,
                                          "the two control voltages are the same");
    for (int i = first; i < first + count; ++i) {
        g_fDacCoefGain[i] = DacGainCoefficient(limited1, limited2, measured1[i], measured2[i]);
        g_fDacCoefOffset[i] = OffsetCoefficient(g_fDacCoefGain[i], limited1, measured1[i]);
    }
    const ChannelMask flat =
        DacUncalculableChannels(selector, control1, control2, measured1, measured2);
    if (flat) {
        const std::string line = "WARNING: DAC " + ChannelListText(flat) +
                                 ": the two meter readings are equal; the gain would be 0";
        LogWarning(line.c_str());
    }
    const bool keep = flat && failed == FailedChannels::KeepBoards;
    RegisterResult written = keep ? TakeBoardCoefficients(ADDR_DAC_GAIN, ADDR_DAC_OFFSET, flat,
                                                          g_fDacCoefGain, g_fDacCoefOffset)
                                  : RegisterResult{};
    std::string why = "the coefficients did not reach the board";
    if (!written.ok()) {
        why = "DAC coefficients not written: the board's own for " + ChannelListText(flat) +
              " could not be read";
        LogError(("ERROR: " + why).c_str());
    } else {
        written = WriteCoefficientBlocks(ADDR_DAC_GAIN + first, ADDR_DAC_OFFSET + first, count,
                                         &g_fDacCoefGain[first], &g_fDacCoefOffset[first]);
    }
    g_lastDacWrite = {written.ok() ? CoefficientWrite::WRITTEN : CoefficientWrite::FAILED, first,
                      count};
    if (written.ok()) LogToWindow(COEFFICIENTS_SENT_TEXT);
    LogToWindow(CALCULATED_COEFFICIENTS_TEXT);
    for (int i = first; i < first + count; ++i)
        if (!(keep && (flat & ChannelBit(i))))
            LogCoefficientLine(i + 1, g_fDacCoefGain[i], g_fDacCoefOffset[i]);
    if (flat && written.ok())
        LogFailedChannelsOutcome("DAC", ChannelSpan(first, count) & ~flat, "a gain of 0 written to",
                                 keep ? 0 : flat, keep ? flat : 0);
    return BoardOutcome(written, why.c_str());
}

CalibrationResult SetDacCalibratedOutput(int selector, float volts) {
    int first = 0, count = 0;
    if (!DacChannelSpan(selector, &first, &count)) return badSelector(selector);
    float l_fControlVoltage[CHANNEL_COUNT];
    for (float& setPoint : l_fControlVoltage) setPoint = LimitSetPoint(volts);
    return BoardOutcome(WriteBlock(ADDR_DAC_SETPOINT + first, count, &l_fControlVoltage[first]),
                        "the set-point did not reach the board");
}

const CoefficientWrite& LastDacCoefficientWrite(void) {
    return g_lastDacWrite;
}
