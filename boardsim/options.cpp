#include "boardsim/options.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <string_view>

#include "boardsim/bootloader.h"

namespace boardsim {

namespace {
constexpr long kMaxBytesOption = 4096;
constexpr long kMaxDelayMs = 600'000;
constexpr long kMaxCount = std::numeric_limits<int>::max();

std::optional<long> parseNumber(std::string_view text, long min, long max) {
    const std::string s(text);
    if (s.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 0);
    if (errno != 0 || end != s.c_str() + s.size() || v < min || v > max) return std::nullopt;
    return v;
}

// K or K:IDX:VAL
std::optional<BootBadAnswer> parseBadLine(std::string_view text) {
    BootBadAnswer bad;
    const std::size_t first = text.find(':');
    const auto line = parseNumber(text.substr(0, first), 0, kMaxCount);
    if (!line) return std::nullopt;
    bad.line = static_cast<int>(*line);
    if (first == std::string_view::npos) return bad;
    const std::string_view rest = text.substr(first + 1);
    const std::size_t second = rest.find(':');
    if (second == std::string_view::npos) return std::nullopt;
    const auto index = parseNumber(rest.substr(0, second), 0, boot::kAnswerBytes - 1);
    const auto value = parseNumber(rest.substr(second + 1), 0, std::numeric_limits<uint8_t>::max());
    if (!index || !value) return std::nullopt;
    bad.byteIndex = static_cast<int>(*index);
    bad.value = static_cast<uint8_t>(*value);
    return bad;
}

class Parser {
  public:
    Parser(int argc, const char* const* argv, ProgramOptions& out, std::string& error)
        : argc_(argc), argv_(argv), out_(out), error_(error) {}

    bool run();

    ProgramOptions& out() { return out_; }
    bool fail(const char* what) {
        error_ = std::string(argv_[option_]) + ": " + what;
        return false;
    }
    // The value after the current option, consumed; nullptr (and an error) when there is none.
    const char* value() {
        if (index_ + 1 >= argc_) {
            fail("needs a value");
            return nullptr;
        }
        return argv_[++index_];
    }
    std::optional<long> number(long min, long max) {
        const char* text = value();
        if (!text) return std::nullopt;
        const auto n = parseNumber(text, min, max);
        if (!n) fail("bad or out-of-range value");
        return n;
    }
    bool text(std::string& target) {
        const char* v = value();
        if (v) target = v;
        return v != nullptr;
    }
    void addFault(const Fault& f) { out_.faults.push_back(f); }

    int faultAfter = 0;
    int faultCount = -1;

  private:
    int argc_;
    const char* const* argv_;
    ProgramOptions& out_;
    std::string& error_;
    int index_ = 0;
    int option_ = 0;  // the option being handled, for messages
};

using Handler = std::function<bool(Parser&)>;

Handler setFlag(bool ProgramOptions::*member, bool value) {
    return [=](Parser& p) {
        p.out().*member = value;
        return true;
    };
}

Handler setText(std::string ProgramOptions::*member) {
    return [=](Parser& p) { return p.text(p.out().*member); };
}

Handler setHalfWord(std::optional<uint16_t> ProgramOptions::*member) {
    return [=](Parser& p) {
        const auto n = p.number(0, std::numeric_limits<uint16_t>::max());
        if (n) p.out().*member = static_cast<uint16_t>(*n);
        return n.has_value();
    };
}

Handler plainFault(Fault::Kind kind) {
    return [=](Parser& p) {
        p.addFault(Fault{.kind = kind});
        return true;
    };
}

// Faults with one number; `apply` puts it where the kind wants it.
Handler numberFault(Fault::Kind kind, long max, void (*apply)(Fault&, long)) {
    return [=](Parser& p) {
        const auto n = p.number(0, max);
        if (!n) return false;
        Fault f{.kind = kind};
        apply(f, *n);
        p.addFault(f);
        return true;
    };
}

void setBytes(Fault& f, long n) {
    f.bytes = static_cast<int>(n);
}

const std::map<std::string_view, Handler>& handlers() {
    using Kind = Fault::Kind;
    static const std::map<std::string_view, Handler> table{
        {"--help", setFlag(&ProgramOptions::help, true)},
        {"-h", setFlag(&ProgramOptions::help, true)},
        {"--link", setText(&ProgramOptions::linkPath)},
        {"--record", setText(&ProgramOptions::recordPath)},
        {"--pace", setFlag(&ProgramOptions::pace, true)},
        {"--bootloader", setFlag(&ProgramOptions::bootloader, true)},
        {"--no-auto-boot", setFlag(&ProgramOptions::autoBootloader, false)},
        {"--firmware", setHalfWord(&ProgramOptions::firmwareVersion)},
        {"--temperature", setHalfWord(&ProgramOptions::rawTemperature)},
        {"--silent", plainFault(Kind::Silence)},
        {"--wrong-id", plainFault(Kind::WrongId)},
        {"--wrong-count", plainFault(Kind::WrongCount)},
        {"--bad-checksum", plainFault(Kind::BadChecksum)},
        {"--delay-ms", numberFault(Kind::Delay, kMaxDelayMs,
                                   [](Fault& f, long n) { f.delayMs = static_cast<int>(n); })},
        {"--status", numberFault(Kind::StatusBits, std::numeric_limits<uint8_t>::max(),
                                 [](Fault& f, long n) { f.status = static_cast<uint8_t>(n); })},
        {"--trailing", numberFault(Kind::TrailingBytes, kMaxBytesOption, setBytes)},
        {"--short", numberFault(Kind::ShortAnswer, kMaxBytesOption, setBytes)},
        {"--hangup-after", numberFault(Kind::HangUp, kMaxBytesOption, setBytes)},
        {"--chatter-ms", numberFault(Kind::Chatter, kMaxDelayMs,
                                     [](Fault& f, long n) { f.delayMs = static_cast<int>(n); })},
        {"--fault-after",
         [](Parser& p) {
             const auto n = p.number(0, kMaxCount);
             if (n) p.faultAfter = static_cast<int>(*n);
             return n.has_value();
         }},
        {"--fault-count",
         [](Parser& p) {
             const auto n = p.number(-1, kMaxCount);
             if (n) p.faultCount = static_cast<int>(*n);
             return n.has_value();
         }},
        {"--boot-bad-line",
         [](Parser& p) {
             const char* v = p.value();
             if (!v) return false;
             const auto bad = parseBadLine(v);
             if (!bad) return p.fail("expects K or K:IDX:VAL");
             p.out().bootBadAnswers.push_back(*bad);
             return true;
         }},
        {"--boot-silent-from",
         [](Parser& p) {
             const auto n = p.number(0, kMaxCount);
             if (n) p.out().bootSilentFrom = static_cast<int>(*n);
             return n.has_value();
         }},
    };
    return table;
}

bool Parser::run() {
    for (index_ = 1; index_ < argc_; ++index_) {
        option_ = index_;
        const auto handler = handlers().find(argv_[index_]);
        if (handler == handlers().end()) return fail("unknown option (see --help)");
        if (!handler->second(*this)) return false;
    }
    // The fault options share when they start and how long they last.
    for (Fault& f : out_.faults) {
        f.after = faultAfter;
        f.count = faultCount;
    }
    return true;
}
}  // namespace

bool parseOptions(int argc, const char* const* argv, ProgramOptions& out, std::string& error) {
    return Parser(argc, argv, out, error).run();
}

std::string usageText(const std::string& program) {
    return "Usage: " + program + R"( [options]

A virtual test board on a pseudo-terminal. It answers the frame protocol (register and block
commands over the board's address map) and the bootloader's line protocol, and serves until
SIGINT or SIGTERM. The path to open is printed on stdout as one line: the --link path when
given, else the pseudo-terminal itself.

Line:
  --link PATH            create symlink PATH to the pseudo-terminal (replacing a stale
                         symlink), remove it on exit
  --pace                 pace the line at 38400 baud 8N1 (10 bits a byte) both ways
  --record FILE          at exit write every byte seen: "<seconds> <console|board> <hex>"

Board:
  --firmware N           firmware version in register 0 (default 0x0012)
  --temperature RAW      fix the raw temperature register 1 (default: drifts around 500,
                         which the console shows as 22 C)
  The 16 DAC outputs span 0..32.5 V, each with its own gain and offset error; ADC input k
  sees DAC output k and counts 0..65535 over 0..32.5 V, again with per-channel errors.

Bootloader:
  The board enters its bootloader by itself when a lone CR arrives where a frame would start
  (the upgrade's presence test) and answers it; it returns to the frame protocol after
  acknowledging an end-of-file record (:00000001FF). Every CR-terminated line is answered
  XOFF ACK XON (13 06 11) when it is a good Intel HEX record, XOFF NAK XON (13 15 11) if not.
  --bootloader           start in the bootloader
  --no-auto-boot         do not enter the bootloader on a lone CR
  --boot-bad-line K[:IDX:VAL]
                         answer line K (1 = first record, 0 = the CR presence test) with VAL
                         at byte IDX (0..2); default 1:0x15, a NAK in place of the ACK
  --boot-silent-from K   no answer to line K and everything after it

Faults (frame answers; combine freely):
  --silent               never answer
  --delay-ms N           answer N ms late
  --status N             put status byte N into answers (checksum stays correct)
  --wrong-id             answer with a wrong identifier
  --wrong-count          answer with a wrong word count in the header
  --bad-checksum         answer with a wrong checksum
  --trailing N           send N stray bytes (0xEE) after each answer
  --short N              leave the last N bytes of each answer out
  --hangup-after N       send N bytes of an answer, then hang up the line; the program then
                         makes a new line and points the --link symlink at it
  --chatter-ms N         never answer; send a stray byte (0xEE) every N ms instead, without end
  --fault-after N        answer the first N requests normally before the faults start
  --fault-count N        faults apply to N requests, then stop (-1 = always, the default)

  -h, --help             show this text
)";
}

}  // namespace boardsim
