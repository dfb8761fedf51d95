#include "cli/options.h"

#include <getopt.h>

#include <charconv>
#include <cstring>

#include "runtime/rs232.h"

namespace cli {
namespace {

// The options without a short form answer with values past every character.
enum LongOnlyOption {
    kPortOption = 256,
    kDeviceOption,
    kJsonOption,
    kFloatOption,
    kDefaultsOption,
    kForceOption,
    kV1Option,
    kV2Option,
    kChannelOption,
};

const option kOptions[] = {
    {"port", required_argument, nullptr, kPortOption},
    {"device", required_argument, nullptr, kDeviceOption},
    {"json", no_argument, nullptr, kJsonOption},
    {"quiet", no_argument, nullptr, 'q'},
    {"verbose", no_argument, nullptr, 'v'},
    {"float", no_argument, nullptr, kFloatOption},
    {"defaults-for-failed", no_argument, nullptr, kDefaultsOption},
    {"force", no_argument, nullptr, kForceOption},
    {"v1", required_argument, nullptr, kV1Option},
    {"v2", required_argument, nullptr, kV2Option},
    {"channel", required_argument, nullptr, kChannelOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};
// '-' hands the command and its words back in order, as option 1, so that options may stand
// among them; ':' tells a missing value apart from an unknown option.
constexpr const char* kShortOptions = "-:hqvV";
constexpr int kWordOfTheCommand = 1;

// A word that starts with '-' and a digit or a point is a negative number, not an option.
bool isNegativeNumber(const char* word) {
    return word[0] == '-' && word[1] != '\0' && std::strchr("0123456789.", word[1]);
}

// How the option with getopt value `value` is written: "--port", "-v" for a short one the
// table does not know.
std::string nameOf(int value) {
    for (const option& o : kOptions)
        if (o.name && o.val == value) return std::string("--") + o.name;
    return std::string("-") + static_cast<char>(value);
}

bool knownOption(int value) {
    for (const option& o : kOptions)
        if (o.name && o.val == value) return true;
    return false;
}

// Why getopt_long refused the word before argv[next]: optopt is the option it read, 0 for a
// long option it could not name.
std::string refusal(char* argv[], int next) {
    if (optopt != 0 && knownOption(optopt)) return nameOf(optopt) + " takes no value";
    if (optopt != 0) return std::string("unknown option '-") + static_cast<char>(optopt) + "'";
    std::string word = argv[next - 1];
    word = word.substr(0, word.find('='));
    int matches = 0;
    for (const option& o : kOptions)
        if (o.name && std::strncmp(o.name, word.c_str() + 2, word.size() - 2) == 0) ++matches;
    return (matches > 1 ? "ambiguous option '" : "unknown option '") + word + "'";
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

void addWord(const char* word, Options* o) {
    if (o->command.empty())
        o->command = word;
    else
        o->args.push_back(word);
}

// Takes one option getopt_long read, with its value in optarg. False with *error filled.
bool takeOption(int value, Options* o, std::string* error) {
    switch (value) {
        case kPortOption:
            return parsePort(optarg, &o->port, error);
        case kDeviceOption:
            o->device = optarg;
            if (o->device.empty()) *error = "--device names no device";
            return !o->device.empty();
        case kJsonOption:
            o->json = true;
            return true;
        case 'q':
            o->quiet = true;
            return true;
        case 'v':
            ++o->verbosity;
            return true;
        case kFloatOption:
            o->floats = true;
            return true;
        case kDefaultsOption:
            o->defaultsForFailed = true;
            return true;
        case kForceOption:
            o->force = true;
            return true;
        case kV1Option:
            o->v1 = optarg, o->hasV1 = true;
            return true;
        case kV2Option:
            o->v2 = optarg, o->hasV2 = true;
            return true;
        case kChannelOption:
            o->channel = optarg, o->hasChannel = true;
            return true;
        case 'h':
            o->help = true;
            return true;
        case 'V':
            o->version = true;
            return true;
        default:
            *error = "unknown option";
            return false;
    }
}

}  // namespace

bool ParseOptions(int argc, char* argv[], Options* out, std::string* error) {
    Options o;
    opterr = 0;
    optind = 0;  // starts getopt_long afresh
    for (;;) {
        const int next = optind == 0 ? 1 : optind;
        if (next < argc && isNegativeNumber(argv[next])) {
            addWord(argv[next], &o);
            optind = next + 1;
            continue;
        }
        const int value = getopt_long(argc, argv, kShortOptions, kOptions, nullptr);
        if (value == -1) break;
        if (value == kWordOfTheCommand) {
            addWord(optarg, &o);
        } else if (value == ':') {
            *error = nameOf(optopt) + " wants a value";
            return false;
        } else if (value == '?') {
            *error = refusal(argv, optind);
            return false;
        } else if (!takeOption(value, &o, error)) {
            return false;
        }
    }
    // What follows "--" is the command's, whatever it looks like.
    for (int i = optind; i < argc; ++i) addWord(argv[i], &o);
    if (o.quiet && o.verbosity > 0) {
        *error = "-q and -v exclude each other";
        return false;
    }
    *out = o;
    return true;
}

std::string UsageText() {
    return R"(Usage: tarvikctl [OPTION]... COMMAND [ARG]...
       tarvikctl -h | -V

The console's link, registers, calibration and upgrade from a command line.
Options may come anywhere on the line; -- ends them. A word that starts with -
and a digit is a number (set-output 1 -5).

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
  calibrate dac --v1 V --v2 V [--channel K] [--defaults-for-failed] [READINGS]
                                drive V1, read the meter's readings (one a line) from
                                the file READINGS (- or none: standard input), drive
                                V2, read them again; calculate and write the
                                coefficients
  calibrate adc --v1 V --v2 V [--channel K] [--defaults-for-failed]
                                capture each applied voltage after Enter on standard
                                input; calculate and write the coefficients
  upgrade [--force] FILE        re-flash the firmware from an Intel HEX file (- for
                                standard input)
  ports                         the serial devices present, each with its kind

Options:
  --port N            COM port N as the console maps it (TARVIK_COM<N>, the
                      settings file, /dev/ttyS<N-1>); default 1
  --device PATH       the board's serial device, for this run
  --json              print one JSON object on standard output
  -q, --quiet         print nothing but errors (and the object of --json)
  -v, --verbose       write the monitor's lines to standard error; -vv also the
                      raw bytes sent and received
  --float             block words are floats (block-read, block-write)
  --force             upgrade: send a file that has no end-of-file record
  --v1 V, --v2 V      the calibration's two voltages
  --channel K         calibrate channel K (1 to 16) alone
  --defaults-for-failed
                      a channel whose two points are equal (same readings, same
                      counts) gets the fall-back (a DAC gain of 0, the ADC's 0.001
                      and 0) instead of keeping the board's coefficients
  -h, --help          print this help and exit
  -V, --version       print the version and exit

Addresses, register values, masks and words are decimal, or hexadecimal after
0x: 32 and 0x20 are the same register (a leading 0 is decimal too: 010 is ten).
Counts, channels and voltages are decimal. Results are printed in hexadecimal
with 0x. Without -v only warnings and errors reach standard error; with --json
each line there starts with "tarvikctl: ".

Exit status: 0 success; 1 the board answered with an error or did not answer,
or a calibration could not calculate a channel (named on standard error);
2 bad usage or an input refused before anything was sent; 3 the port could not
be opened; 129, 130, 143 stopped by SIGHUP, Ctrl+C, SIGTERM, the port put back
as it was found (an upgrade stops after the line being sent).
)";
}

}  // namespace cli
