// calibrate dac|adc: the console's two-point calibration, with the meter's
// readings from a file or standard input and the operator's Enter from
// standard input.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "calibration/adc_calibration.h"
#include "calibration/dac_calibration.h"
#include "calibration/dac_code.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "cli/signals.h"
#include "cli/tell.h"
#include "panel/channels.h"
#include "runtime/input_file.h"

namespace cli {
namespace {

// The console's ranges for meter readings and applied voltages.
constexpr double kReadingLowest = -5.0;
constexpr double kReadingHighest = 40.0;

// No reading or Enter needs more; a longer line is refused whole, never cut into a number.
constexpr std::size_t kLongestLine = 256;
constexpr int kReasonSize = 128;

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != stdin) std::fclose(file);
    }
};
using Input = std::unique_ptr<std::FILE, FileCloser>;

// Reads a line from input into *line without its end. False when the input ended (or
// failed) before the line began.
bool readLine(std::FILE* input, std::string* line) {
    line->clear();
    bool begun = false, tooLong = false;
    for (int c = std::fgetc(input); c != EOF; c = std::fgetc(input)) {
        begun = true;
        if (c == '\n') break;
        if (line->size() < kLongestLine)
            line->push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    if (tooLong) *line += "...";
    return begun;
}

// Ends the command for an input that gave no line where `what` was awaited: it ended, or a
// stop signal broke the wait for it (main then gives the signal's status).
int inputEnded(const std::string& inputName, const std::string& what, Result* result) {
    if (StopSignal() != 0)
        return result->fail(EXIT_SIGNAL_BASE + StopSignal(), "interrupted before " + what);
    return result->fail(EXIT_USAGE, inputName + " ended before " + what);
}

struct Span {
    int selector = 0;  // 0 = all channels, else the channel number
    int first = 0;
    int count = CHANNEL_COUNT;
};

std::string channelsText(const Span& span) {
    return span.selector == 0 ? "channels 1 to 16" : "channel " + std::to_string(span.selector);
}

FailedChannels failedPolicy(const Options& options) {
    return options.defaultsForFailed ? FailedChannels::WriteDefaults : FailedChannels::KeepBoards;
}

// Exit 1 naming the channels that could not be calculated, and what they got.
int uncalculable(ChannelMask channels, const std::string& why, const Options& options,
                 const char* fallback, Result* result) {
    return result->fail(EXIT_BOARD,
                        ChannelListText(channels) + ": " + why + "; " +
                            (options.defaultsForFailed ? std::string(fallback) + " written there"
                                                       : "the board's coefficients kept there "
                                                         "(--defaults-for-failed writes " +
                                                             std::string(fallback) + ")"));
}

// Reads one meter reading per channel of the span from input into readings[first..].
bool readReadings(std::FILE* input, const std::string& inputName, const Span& span,
                  float readings[], Result* result) {
    for (int i = span.first; i < span.first + span.count; ++i) {
        std::string line;
        if (!readLine(input, &line)) {
            inputEnded(inputName, "the reading of channel " + std::to_string(i + 1), result);
            return false;
        }
        // A file of readings written elsewhere may end its lines with CR LF.
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!VoltsArgument(line, "reading", kReadingLowest, kReadingHighest, &readings[i], result))
            return false;
    }
    return true;
}

// The readings' file the command names, standard input when it names none or "-". Null,
// with EXIT_USAGE and the reason in *result, when it cannot be opened.
Input openReadings(const std::string& file, Result* result) {
    if (file == STANDARD_INPUT_WORD) return Input(stdin);
    char why[kReasonSize] = "";
    Input input(OpenFileForReading(file.c_str(), why, sizeof why));
    if (!input) result->fail(EXIT_USAGE, file + ": " + why);
    return input;
}

int calibrateDac(const Span& span, const float volts[2], std::FILE* input,
                 const std::string& inputName, const Options& options, Result* result) {
    float readings[2][CHANNEL_COUNT] = {};
    const bool ask = isatty(fileno(input)) != 0;
    for (int point = 0; point < 2; ++point) {
        if (const CalibrationResult driven = DriveDacOutputs(span.selector, volts[point], 1);
            !driven.ok())
            return result->boardFailed("DAC outputs not driven", driven);
        if (ask) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "Outputs at %.7g V: type the meter's reading of %s, one a line (V):",
                          static_cast<double>(volts[point]), channelsText(span).c_str());
            Tell(text);
        }
        if (!readReadings(input, inputName, span, readings[point], result)) return result->status;
    }
    const ChannelMask flat =
        DacUncalculableChannels(span.selector, volts[0], volts[1], readings[0], readings[1]);
    const CalibrationResult calculated = CalculateDacCoefficients(
        span.selector, volts[0], volts[1], readings[0], readings[1], failedPolicy(options));
    AddCoefficients(g_fDacCoefGain, g_fDacCoefOffset, span.first, span.count, result);
    if (!calculated.ok()) return result->boardFailed("calibration failed", calculated);
    if (flat)
        return uncalculable(flat, "the two readings are equal", options, "a gain of 0", result);
    return EXIT_OK;
}

int calibrateAdc(const Span& span, const float volts[2], const Options& options, Result* result) {
    int counts[2][CHANNEL_COUNT] = {};
    float applied[2][CHANNEL_COUNT] = {};
    for (int point = 0; point < 2; ++point) {
        char text[128];
        std::snprintf(text, sizeof text, "Apply %.7g V to %s, then press Enter",
                      static_cast<double>(volts[point]), channelsText(span).c_str());
        Tell(text);
        std::string line;
        if (!readLine(stdin, &line))
            return inputEnded("standard input",
                              "point " + std::to_string(point + 1) + " was applied", result);
        for (int n = span.first; n < span.first + span.count; ++n) {
            if (const RegisterResult read = ReadAdcChannelCount(n, &counts[point][n]); !read.ok())
                return result->boardFailed(
                    "ADC count of channel " + std::to_string(n + 1) + " not read", read);
            applied[point][n] = volts[point];
            LogAdcPoint(n, point + 1, counts[point][n], volts[point]);
            if (point == 1) WarnOfEqualAdcCounts(n, point + 1, counts[1][n], counts[0][n]);
        }
    }
    const ChannelMask flat = AdcUncalculableChannels(span.first, span.count, counts[0], counts[1]);
    const CalibrationResult written =
        CalculateAdcCoefficients(span.first, span.count, counts[0], counts[1], applied[0],
                                 applied[1], failedPolicy(options));
    AddCoefficients(g_fAdcCoefGain, g_fAdcCoefOffset, span.first, span.count, result);
    if (!written.ok()) return result->boardFailed("calibration failed", written);
    if (flat)
        return uncalculable(flat, "both points gave the same count", options, "the defaults",
                            result);
    return EXIT_OK;
}

}  // namespace

int RunCalibrate(const Options& options, Result* result) {
    if (!WordCount(options, 1, 2, result)) return result->status;
    const std::string& kind = options.args[0];
    if (kind != "dac" && kind != "adc")
        return result->fail(EXIT_USAGE, "calibrate: say dac or adc, not '" + kind + "'");
    if (kind == "adc" && options.args.size() > 1 && options.args[1] != STANDARD_INPUT_WORD)
        return result->fail(EXIT_USAGE,
                            "calibrate adc reads no file: it waits for Enter on standard input");
    if (!options.hasV1 || !options.hasV2)
        return result->fail(EXIT_USAGE, "calibrate " + kind + " wants --v1 V and --v2 V");
    const bool dac = kind == "dac";
    const double lowest = dac ? 0.0 : kReadingLowest;
    const double highest = dac ? DAC_FULL_SCALE_VOLTS : kReadingHighest;
    float volts[2] = {};
    Span span;
    if (!VoltsArgument(options.v1, "--v1", lowest, highest, &volts[0], result) ||
        !VoltsArgument(options.v2, "--v2", lowest, highest, &volts[1], result) ||
        (options.hasChannel &&
         !DecimalArgument(options.channel, "--channel", 1, CHANNEL_COUNT, &span.selector, result)))
        return result->status;
    if (span.selector != 0) span = {span.selector, span.selector - 1, 1};
    // The DAC's line goes through the voltages it was really driven to.
    const bool same =
        dac ? LimitControlVoltage(volts[0]) == LimitControlVoltage(volts[1]) : volts[0] == volts[1];
    if (same) return result->fail(EXIT_USAGE, "--v1 and --v2 must differ");
    const std::string file = options.args.size() > 1 ? options.args[1] : STANDARD_INPUT_WORD;
    const Input readings = openReadings(file, result);
    if (!readings) return result->status;
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    result->field("kind", JsonString(kind));
    return dac ? calibrateDac(span, volts, readings.get(), FileNamed(file), options, result)
               : calibrateAdc(span, volts, options, result);
}

}  // namespace cli
