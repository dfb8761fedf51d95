#include "cli/options.h"

#include <charconv>
#include <cstring>

#include "runtime/rs232.h"

namespace cli {
namespace {

// A word that starts with '-' and a digit or a point is a negative number, not an option.
bool isOption(const char* word) {
    if (word[0] != '-' || word[1] == '\0') return false;
    return !(std::strchr("0123456789.", word[1]));
}

bool parsePort(const std::string& text, int* port, std::string* error) {
    int value = 0;
    auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > COM_MAX_PORT) {
        *error = "--port wants a COM number from 1 to " + std::to_string(COM_MAX_PORT) + ", not '" +
                 text + "'";
        return false;
    }
    *port = value;
    return true;
}

}  // namespace

bool ParseOptions(char* argv[], Options* out, std::string* error) {
    Options o;
    for (int i = 1; argv && argv[i]; ++i) {
        const std::string word = argv[i];
        if (!isOption(argv[i])) {
            if (o.command.empty())
                o.command = word;
            else
                o.args.push_back(word);
            continue;
        }
        // Options with a value take the next word, or what follows '='.
        std::string name = word, value;
        bool inlineValue = false;
        if (const auto equals = word.find('='); equals != std::string::npos) {
            name = word.substr(0, equals);
            value = word.substr(equals + 1);
            inlineValue = true;
        }
        auto takeValue = [&]() {
            if (inlineValue) return true;
            if (!argv[i + 1]) {
                *error = name + " wants a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        if (name == "--json" && !inlineValue) {
            o.json = true;
        } else if ((name == "-v" || name == "--verbose") && !inlineValue) {
            o.verbose = true;
        } else if (name == "--float" && !inlineValue) {
            o.floats = true;
        } else if (name == "--defaults-for-failed" && !inlineValue) {
            o.defaultsForFailed = true;
        } else if ((name == "--help" || name == "-h") && !inlineValue) {
            o.help = true;
        } else if (name == "--version" && !inlineValue) {
            o.version = true;
        } else if (name == "--port") {
            if (!takeValue() || !parsePort(value, &o.port, error)) return false;
        } else if (name == "--device") {
            if (!takeValue()) return false;
            if (value.empty()) {
                *error = "--device names no device";
                return false;
            }
            o.device = value;
        } else if (name == "--v1" || name == "--v2" || name == "--channel") {
            if (!takeValue()) return false;
            std::string& slot = name == "--v1" ? o.v1 : name == "--v2" ? o.v2 : o.channel;
            bool& given = name == "--v1" ? o.hasV1 : name == "--v2" ? o.hasV2 : o.hasChannel;
            slot = value;
            given = true;
        } else {
            *error = "unknown option '" + word + "'";
            return false;
        }
    }
    *out = o;
    return true;
}

std::string UsageText() {
    return R"(Usage: tarvikctl [--port N | --device PATH] [--json] [-v] COMMAND [ARGS...]

The console's link, registers, calibration and upgrade from a command line.
Options may come anywhere on the line.

Commands:
  info                          connect as the console does: speed test, firmware
                                version, temperature
  read ADDR                     read a 16-bit register
  write ADDR VALUE [MASK]       write under MASK (default 0xFFFF), print the read-back
  block-read ADDR COUNT         read 1 to 48 words
  block-write ADDR WORD...      write 1 to 30 words
  temperature                   the board's temperature
  currents                      the 16 channel currents
  coefficients dac|adc          the 16 gain/offset pairs on the board
  set-output CH VOLTS           calibrated output of channel CH (0 = all)
  calibrate dac --v1 V --v2 V [--channel K] [--defaults-for-failed]
                                drive V1, read the meter's readings (one a line) from
                                standard input, drive V2, read them again; calculate
                                and write the coefficients
  calibrate adc --v1 V --v2 V [--channel K] [--defaults-for-failed]
                                capture each applied voltage after Enter on standard
                                input; calculate and write the coefficients
  upgrade FILE                  re-flash the firmware from an Intel HEX file
  ports                         the serial devices present

Addresses, register values, masks and words are decimal, or hexadecimal after
0x: 32 and 0x20 are the same register (a leading 0 is decimal too: 010 is ten).
Counts, channels and voltages are decimal. Results are printed in hexadecimal
with 0x. --float reads and writes block words as floats. --port N picks COM port N as the console maps it (--port, TARVIK_COM<N>,
the settings file, /dev/ttyS<N-1>); --device PATH names the device. Default: port 1.
-v writes the monitor's lines to standard error; --json prints one JSON object.
A channel whose two points are equal (same readings, same counts) keeps the
board's coefficients and the command exits 1 naming it; --defaults-for-failed
writes the fall-back there instead (a DAC gain of 0, the ADC's 0.001 and 0).

Exit status: 0 success; 1 the board answered with an error or did not answer,
or a calibration could not calculate a channel;
2 bad usage or an input refused before anything was sent; 3 the port could not
be opened; 130 an upgrade cancelled with Ctrl+C.
)";
}

}  // namespace cli
