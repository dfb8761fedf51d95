// The commands that read and write the board once: as the console's buttons
// do, through the same routines.
#include <cstdio>
#include <string>
#include <vector>

#include "calibration/coefficient_transfer.h"
#include "calibration/dac_calibration.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "link/frame.h"
#include "link/transaction.h"
#include "measure/measurements.h"
#include "panel/channels.h"
#include "registers/address_map.h"
#include "registers/block_access.h"
#include "registers/register_access.h"
#include "registers/register_result.h"
#include "runtime/rs232.h"
#include "runtime/serial_devices.h"

namespace cli {
namespace {

constexpr unsigned int kRegisterField = 0xFFFF;
constexpr unsigned int kWordField = 0xFFFFFFFFu;
constexpr int kTextSize = 64;
// The console's ranges for the calibrated output.
constexpr double kSetPointLowest = -32.5;
constexpr double kSetPointHighest = 32.5;

std::string hex16(unsigned int value) {
    char text[kTextSize];
    std::snprintf(text, sizeof text, "0x%.4X", value);
    return text;
}

std::string wordText(unsigned int word, bool asFloat) {
    char text[kTextSize];
    if (asFloat)
        std::snprintf(text, sizeof text, "%.7g", static_cast<double>(WordToFloat(word)));
    else
        std::snprintf(text, sizeof text, "0x%.8X", word);
    return text;
}

std::string wordJson(unsigned int word, bool asFloat) {
    return asFloat ? JsonNumber(WordToFloat(word)) : JsonInteger(word);
}

// A result line in the console's own words.
template <typename... Values>
std::string formatted(const char* format, Values... values) {
    char text[kTextSize];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

int addTemperature(Result* result) {
    float celsius = 0;
    if (const RegisterResult read = ReadBoardTemperature(&celsius); !read.ok())
        return result->boardFailed("temperature read failed", read);
    result->lines.push_back(formatted(TEMPERATURE_FORMAT, static_cast<double>(celsius)));
    result->field("temperature", JsonNumber(celsius));
    return EXIT_OK;
}

}  // namespace

int RunInfo(const Options& options, Result* result) {
    if (!WordCount(options, 0, 0, result)) return result->status;
    if (OpenBoardLink(options, true, result) != EXIT_OK) return result->status;
    char device[COM_MAX_PATH] = "";
    GetComPortDevice(options.port, device, sizeof device);
    result->field("port", JsonInteger(options.port));
    result->field("device", JsonString(device));
    result->field("receive_wait_seconds", JsonNumber(FullReceiveWaitSeconds()));
    unsigned int version = 0;
    if (const RegisterResult read = ReadFirmwareVersion(&version); !read.ok())
        return result->boardFailed("Hardware is not responding", read);
    result->lines.push_back(formatted(FIRMWARE_VERSION_FORMAT, version));
    result->field("firmware_version", JsonInteger(version));
    return addTemperature(result);
}

int RunRead(const Options& options, Result* result) {
    unsigned int address = 0;
    if (!WordCount(options, 1, 1, result) ||
        !NumberArgument(options.args[0], "address", kRegisterField, &address, result))
        return result->status;
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    unsigned int value = 0;
    if (const RegisterResult read = ReadRegister(static_cast<int>(address), &value); !read.ok())
        return result->boardFailed("read of " + hex16(address) + " failed", read);
    result->lines.push_back(hex16(value));
    result->field("address", JsonInteger(address));
    result->field("value", JsonInteger(value));
    return EXIT_OK;
}

int RunWrite(const Options& options, Result* result) {
    unsigned int address = 0, value = 0, mask = kRegisterField;
    if (!WordCount(options, 2, 3, result) ||
        !NumberArgument(options.args[0], "address", kRegisterField, &address, result) ||
        !NumberArgument(options.args[1], "value", kRegisterField, &value, result) ||
        (options.args.size() == 3 &&
         !NumberArgument(options.args[2], "mask", kRegisterField, &mask, result)))
        return result->status;
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    unsigned int readback = 0;
    if (const RegisterResult written = WriteRegister(
            static_cast<int>(address), static_cast<int>(mask), static_cast<int>(value), &readback);
        !written.ok())
        return result->boardFailed("write to " + hex16(address) + " failed", written);
    const bool matches = ((readback ^ value) & mask) == 0;
    result->lines.push_back(hex16(readback));
    result->field("address", JsonInteger(address));
    result->field("value", JsonInteger(value));
    result->field("mask", JsonInteger(mask));
    result->field("readback", JsonInteger(readback));
    result->field("matches", matches ? "true" : "false");
    if (!matches)
        return result->fail(EXIT_BOARD, "read back " + hex16(readback) + " where " + hex16(value) +
                                            " was written under mask " + hex16(mask));
    return EXIT_OK;
}

int RunBlockRead(const Options& options, Result* result) {
    unsigned int address = 0;
    int count = 0;
    if (!WordCount(options, 2, 2, result) ||
        !NumberArgument(options.args[0], "address", kRegisterField, &address, result) ||
        !DecimalArgument(options.args[1], "count", 1, BLOCK_MAX_WORDS, &count, result))
        return result->status;
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    std::vector<unsigned int> words(static_cast<size_t>(count));
    if (const RegisterResult read = ReadBlock(static_cast<int>(address), count, words.data());
        !read.ok())
        return result->boardFailed("block read at " + hex16(address) + " failed", read);
    std::vector<std::string> values;
    for (unsigned int word : words) {
        result->lines.push_back(wordText(word, options.floats));
        values.push_back(wordJson(word, options.floats));
    }
    result->field("address", JsonInteger(address));
    result->field("count", JsonInteger(count));
    result->field(options.floats ? "floats" : "words", JsonArray(values));
    return EXIT_OK;
}

int RunBlockWrite(const Options& options, Result* result) {
    unsigned int address = 0;
    if (!WordCount(options, 2, BLOCK_WRITE_BUFFER_WORDS + 1, result) ||
        !NumberArgument(options.args[0], "address", kRegisterField, &address, result))
        return result->status;
    std::vector<unsigned int> words;
    for (size_t i = 1; i < options.args.size(); ++i) {
        unsigned int word = 0;
        if (!WordArgument(options.args[i], options.floats, &word, result)) return result->status;
        words.push_back(word);
    }
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    const int count = static_cast<int>(words.size());
    if (const RegisterResult written = WriteBlock(static_cast<int>(address), count, words.data());
        !written.ok())
        return result->boardFailed("block write at " + hex16(address) + " failed", written);
    result->field("address", JsonInteger(address));
    result->field("count", JsonInteger(count));
    return EXIT_OK;
}

int RunTemperature(const Options& options, Result* result) {
    if (!WordCount(options, 0, 0, result)) return result->status;
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    return addTemperature(result);
}

int RunCurrents(const Options& options, Result* result) {
    if (!WordCount(options, 0, 0, result)) return result->status;
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    float milliamps[CHANNEL_COUNT];
    if (const RegisterResult read = ReadChannelCurrents(milliamps); !read.ok())
        return result->boardFailed("currents read failed", read);
    std::vector<std::string> values;
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        result->lines.push_back(
            formatted(CURRENT_FORMAT, k + 1, static_cast<double>(milliamps[k])));
        values.push_back(JsonNumber(milliamps[k]));
    }
    result->field("currents_mA", JsonArray(values));
    return EXIT_OK;
}

void AddCoefficients(const float gains[], const float offsets[], int first, int count,
                     Result* result) {
    std::vector<std::string> channels;
    char line[kTextSize * 2];
    for (int i = first; i < first + count; ++i) {
        std::snprintf(line, sizeof line, COEFFICIENT_LINE_FORMAT, i + 1,
                      static_cast<double>(gains[i]), static_cast<double>(offsets[i]));
        result->lines.push_back(line);
        channels.push_back("{\"channel\":" + JsonInteger(i + 1) + ",\"gain\":" +
                           JsonNumber(gains[i]) + ",\"offset\":" + JsonNumber(offsets[i]) + "}");
    }
    result->field("channels", JsonArray(channels));
}

int RunCoefficients(const Options& options, Result* result) {
    if (!WordCount(options, 1, 1, result)) return result->status;
    const std::string& kind = options.args[0];
    if (kind != "dac" && kind != "adc")
        return result->fail(EXIT_USAGE, "coefficients: say dac or adc, not '" + kind + "'");
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    const bool dac = kind == "dac";
    float gains[CHANNEL_COUNT], offsets[CHANNEL_COUNT];
    if (const RegisterResult read =
            ReadCoefficientBlocks(dac ? ADDR_DAC_GAIN : ADDR_ADC_GAIN,
                                  dac ? ADDR_DAC_OFFSET : ADDR_ADC_OFFSET, gains, offsets);
        !read.ok())
        return result->boardFailed(kind + " coefficients read failed", read);
    result->field("kind", JsonString(kind));
    AddCoefficients(gains, offsets, 0, CHANNEL_COUNT, result);
    return EXIT_OK;
}

int RunSetOutput(const Options& options, Result* result) {
    int channel = 0;
    float volts = 0;
    if (!WordCount(options, 2, 2, result) ||
        !DecimalArgument(options.args[0], "channel", 0, CHANNEL_COUNT, &channel, result) ||
        !VoltsArgument(options.args[1], "output voltage", kSetPointLowest, kSetPointHighest, &volts,
                       result))
        return result->status;
    if (OpenBoardLink(options, false, result) != EXIT_OK) return result->status;
    if (const CalibrationResult set = SetDacCalibratedOutput(channel, volts); !set.ok())
        return result->boardFailed("calibrated output not set", set);
    result->field("channel", JsonInteger(channel));
    result->field("volts", JsonNumber(volts));
    return EXIT_OK;
}

int RunPorts(const Options& options, Result* result) {
    if (!WordCount(options, 0, 0, result)) return result->status;
    std::vector<std::string> ports;
    for (const SerialDeviceEntry& entry : ListSerialDevices()) {
        // A tab, as cut -f1 wants it: a path may hold spaces.
        result->lines.push_back(entry.path + "\t" + entry.kind);
        ports.push_back("{\"path\":" + JsonString(entry.path) +
                        ",\"kind\":" + JsonString(entry.kind) + "}");
    }
    result->field("ports", JsonArray(ports));
    return EXIT_OK;
}

}  // namespace cli
