#include "runtime/telnet_codec.h"

namespace tarvik::rt {
namespace {
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kNul = 0x00;
}  // namespace

std::vector<std::uint8_t> TelnetEscaped(const std::uint8_t* data, std::size_t count, bool binary) {
    std::vector<std::uint8_t> out;
    out.reserve(count + count / 8 + 1);
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(data[i]);
        if (data[i] == TELNET_IAC) out.push_back(TELNET_IAC);
        if (data[i] == kCr && !binary) out.push_back(kNul);
    }
    return out;
}

std::vector<std::uint8_t> ComPortCommand(std::uint8_t command,
                                         const std::vector<std::uint8_t>& value) {
    std::vector<std::uint8_t> out{TELNET_IAC, TELNET_SB, TELNET_COM_PORT, command};
    for (const std::uint8_t byte : value) {
        out.push_back(byte);
        if (byte == TELNET_IAC) out.push_back(TELNET_IAC);
    }
    out.push_back(TELNET_IAC);
    out.push_back(TELNET_SE);
    return out;
}

void TelnetReader::feed(const std::uint8_t* bytes, std::size_t count, bool binary, Parts* parts) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        switch (state_) {
            case State::Data:
                if (b == TELNET_IAC) {
                    state_ = State::Command;
                } else if (b == kNul && afterCr_ && !binary) {
                    afterCr_ = false;
                } else {
                    parts->data.push_back(b);
                    afterCr_ = b == kCr;
                }
                break;
            case State::Command:
                if (b == TELNET_IAC) {
                    parts->data.push_back(TELNET_IAC);
                    afterCr_ = false;
                    state_ = State::Data;
                } else if (b == TELNET_WILL || b == TELNET_WONT || b == TELNET_DO ||
                           b == TELNET_DONT) {
                    verb_ = b;
                    state_ = State::Option;
                } else if (b == TELNET_SB) {
                    sub_.clear();
                    state_ = State::Sub;
                } else {
                    state_ = State::Data;
                }
                break;
            case State::Option:
                parts->negotiations.push_back({verb_, b});
                state_ = State::Data;
                break;
            case State::Sub:
                if (b == TELNET_IAC)
                    state_ = State::SubCommand;
                else
                    sub_.push_back(b);
                break;
            case State::SubCommand:
                if (b == TELNET_SE) {
                    parts->subnegotiations.push_back(sub_);
                    state_ = State::Data;
                } else {
                    // IAC IAC inside a subnegotiation is a 0xFF of its value.
                    sub_.push_back(b);
                    state_ = State::Sub;
                }
                break;
        }
    }
}

bool TelnetOptions::wantedHere(std::uint8_t option) {
    return option == TELNET_BINARY || option == TELNET_SUPPRESS_GO_AHEAD ||
           option == TELNET_COM_PORT;
}

bool TelnetOptions::wantedThere(std::uint8_t option) {
    return option == TELNET_BINARY || option == TELNET_SUPPRESS_GO_AHEAD;
}

std::vector<std::uint8_t> TelnetOptions::opening() {
    // Asked for already: the answers that agree need no reply (RFC 1143's rule, simplified).
    local_[TELNET_COM_PORT] = local_[TELNET_BINARY] = true;
    remote_[TELNET_BINARY] = true;
    return {TELNET_IAC,    TELNET_WILL, TELNET_COM_PORT, TELNET_IAC,   TELNET_WILL,
            TELNET_BINARY, TELNET_IAC,  TELNET_DO,       TELNET_BINARY};
}

std::vector<std::uint8_t> TelnetOptions::answer(const TelnetReader::Negotiation& negotiation) {
    const std::uint8_t option = negotiation.option;
    if (option == TELNET_COM_PORT && negotiation.verb == TELNET_DO) comPortAgreed_ = true;
    if (option == TELNET_COM_PORT && negotiation.verb == TELNET_DONT) comPortRefused_ = true;
    switch (negotiation.verb) {
        case TELNET_DO:
            if (wantedHere(option)) {
                if (local_[option]) return {};
                local_[option] = true;
                return {TELNET_IAC, TELNET_WILL, option};
            }
            return {TELNET_IAC, TELNET_WONT, option};
        case TELNET_DONT:
            if (!local_[option]) return {};
            local_[option] = false;
            return {TELNET_IAC, TELNET_WONT, option};
        case TELNET_WILL:
            // Echo above all: the board's answers must not come back as if it had sent them.
            if (wantedThere(option)) {
                if (remote_[option]) return {};
                remote_[option] = true;
                return {TELNET_IAC, TELNET_DO, option};
            }
            return {TELNET_IAC, TELNET_DONT, option};
        case TELNET_WONT:
            if (!remote_[option]) return {};
            remote_[option] = false;
            return {TELNET_IAC, TELNET_DONT, option};
        default:
            return {};
    }
}

}  // namespace tarvik::rt
