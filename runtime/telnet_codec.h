#pragma once
// The telnet side of an RFC 2217 port: data with its 0xFF bytes doubled, option
// negotiation (RFC 854, 855), binary transmission (RFC 856) and the COM-PORT-OPTION's
// subnegotiations (RFC 2217). Pure byte work, with no socket. Internal to runtime/.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvik::rt {

enum : std::uint8_t {
    TELNET_SE = 240,
    TELNET_SB = 250,
    TELNET_WILL = 251,
    TELNET_WONT = 252,
    TELNET_DO = 253,
    TELNET_DONT = 254,
    TELNET_IAC = 255,
};
enum : std::uint8_t {
    TELNET_BINARY = 0,
    TELNET_SUPPRESS_GO_AHEAD = 3,
    TELNET_COM_PORT = 44,
};
// COM-PORT-OPTION commands from the client; the server answers a command with it plus 100.
enum : std::uint8_t {
    COM_PORT_SET_BAUDRATE = 1,
    COM_PORT_SET_DATASIZE = 2,
    COM_PORT_SET_PARITY = 3,
    COM_PORT_SET_STOPSIZE = 4,
    COM_PORT_SET_CONTROL = 5,
    COM_PORT_PURGE_DATA = 12,
    COM_PORT_SERVER_OFFSET = 100,
};

// Data as it goes to the server: each 0xFF doubled, and, unless the server agreed to take
// binary data, each CR followed by NUL (a lone CR would otherwise be read as a line end).
std::vector<std::uint8_t> TelnetEscaped(const std::uint8_t* data, std::size_t count, bool binary);

// IAC SB COM-PORT-OPTION command value... IAC SE, the value's 0xFF bytes doubled.
std::vector<std::uint8_t> ComPortCommand(std::uint8_t command,
                                         const std::vector<std::uint8_t>& value);

// Splits what the server sends into data and telnet commands, across any cut between reads.
class TelnetReader {
  public:
    struct Negotiation {
        std::uint8_t verb;  // TELNET_WILL, WONT, DO or DONT
        std::uint8_t option;
    };
    struct Parts {
        std::vector<std::uint8_t> data;
        std::vector<Negotiation> negotiations;
        std::vector<std::vector<std::uint8_t>> subnegotiations;  // option first, IAC SE cut off
    };
    // Takes count bytes; appends to *parts the data (0xFF for IAC IAC; a NUL after a CR
    // dropped unless binary) and every command completed by them. Other two-byte commands
    // (NOP, GA and the like) are dropped.
    void feed(const std::uint8_t* bytes, std::size_t count, bool binary, Parts* parts);

  private:
    enum class State { Data, Command, Option, Sub, SubCommand };
    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    bool afterCr_ = false;
    std::vector<std::uint8_t> sub_;
};

// Which options this client takes: binary both ways, suppress go-ahead both ways and
// the COM-PORT-OPTION on its own side. Answers each negotiation once per change of state,
// so that two parties never loop. Returns the bytes to send in reply (maybe none).
class TelnetOptions {
  public:
    std::vector<std::uint8_t> answer(const TelnetReader::Negotiation& negotiation);
    // The opening requests: WILL COM-PORT-OPTION, WILL BINARY, DO BINARY.
    std::vector<std::uint8_t> opening();
    // Whether the server sends binary data, and takes it.
    bool serverSendsBinary() const { return remote_[TELNET_BINARY]; }
    bool serverTakesBinary() const { return local_[TELNET_BINARY]; }
    // Whether the server agreed to the COM-PORT-OPTION (said DO), and whether it refused it.
    bool comPortAgreed() const { return comPortAgreed_; }
    bool comPortRefused() const { return comPortRefused_; }

  private:
    static bool wantedHere(std::uint8_t option);
    static bool wantedThere(std::uint8_t option);
    bool local_[256] = {};   // options on at this end (we WILL)
    bool remote_[256] = {};  // options on at the server (it WILL)
    bool comPortAgreed_ = false, comPortRefused_ = false;
};

}  // namespace tarvik::rt
