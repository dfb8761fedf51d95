// The pure parts of a serial port on the network: reading its URL, and telnet's bytes as
// RFC 2217 carries the board's frames (every byte value, any cut between two reads).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/device_url.h"
#include "runtime/telnet_codec.h"

namespace {

using namespace tarvik::rt;
using Bytes = std::vector<std::uint8_t>;

TEST(DeviceUrlTest, HostsPortsAndTheFormsThatAreRefused) {
    struct Case {
        std::string text;
        bool ok;
        DeviceUrl::Kind kind;
        std::string host, port, error;
    };
    const Case cases[] = {
        {"tcp://rack3:2001", true, DeviceUrl::Kind::RawTcp, "rack3", "2001", ""},
        {"RFC2217://10.0.0.7:3001/", true, DeviceUrl::Kind::Rfc2217, "10.0.0.7", "3001", ""},
        {"rfc2217://[fe80::1%eth0]:2002", true, DeviceUrl::Kind::Rfc2217, "fe80::1%eth0", "2002",
         ""},
        {"tcp://[::1]:65535", true, DeviceUrl::Kind::RawTcp, "::1", "65535", ""},
        {"tcp://rack3", false, {}, "", "", "tcp://HOST:PORT wants a port"},
        {"tcp://:2001", false, {}, "", "", "tcp://HOST:PORT wants a host"},
        {"tcp://rack3:0", false, {}, "", "", "tcp://HOST:PORT wants a port from 1 to 65535"},
        {"tcp://rack3:65536", false, {}, "", "", "tcp://HOST:PORT wants a port from 1 to 65535"},
        {"tcp://rack3:20x1", false, {}, "", "", "tcp://HOST:PORT wants a port from 1 to 65535"},
        {"rfc2217://::1:2001",
         false,
         {},
         "",
         "",
         "an IPv6 address goes in brackets: rfc2217://[::1]:PORT"},
        {"tcp://[::1]2001",
         false,
         {},
         "",
         "",
         "an IPv6 address goes in brackets: tcp://[::1]:PORT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(IsDeviceUrl(c.text));
        DeviceUrl url;
        std::string error;
        ASSERT_EQ(ParseDeviceUrl(c.text, &url, &error), c.ok) << error;
        if (c.ok) {
            EXPECT_EQ(url.kind, c.kind);
            EXPECT_EQ(url.host, c.host);
            EXPECT_EQ(url.port, c.port);
        } else {
            EXPECT_EQ(error, c.error);
        }
    }
    for (const char* local : {"/dev/ttyUSB0", "tcp:/rack3:2001", "telnet://rack3:23"})
        EXPECT_FALSE(IsDeviceUrl(local)) << local;
}

// Every byte value survives the trip, whether the server takes binary data or not, and
// however the reads cut the stream.
TEST(TelnetCodecTest, EveryByteValuePassesUnchangedAcrossAnyCut) {
    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
    all.insert(all.end(), {0xFF, 0xFF, 0x0D, 0x00, 0x0D, 0x0A, 0x0D});
    for (const bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "not binary");
        const Bytes wire = TelnetEscaped(all.data(), all.size(), binary);
        EXPECT_EQ(wire.size(), all.size() + 3 + (binary ? 0 : 4)) << "0xFF doubled, CR NUL";
        for (const std::size_t cut :
             {std::size_t{1}, std::size_t{2}, std::size_t{7}, wire.size()}) {
            TelnetReader reader;
            TelnetReader::Parts parts;
            for (std::size_t at = 0; at < wire.size(); at += cut)
                reader.feed(wire.data() + at, std::min(cut, wire.size() - at), binary, &parts);
            EXPECT_EQ(parts.data, all) << "cut every " << cut;
            EXPECT_TRUE(parts.negotiations.empty());
        }
    }
}

TEST(TelnetCodecTest, CommandsAreTakenOutOfTheDataWhereverTheyCome) {
    const Bytes value{0x00, 0x00, 0xFF, 0xFF};  // a baud rate with a 0xFF in it
    Bytes wire{0x41, TELNET_IAC, TELNET_WILL, TELNET_BINARY, 0x42};
    const Bytes answer = ComPortCommand(COM_PORT_SET_BAUDRATE + COM_PORT_SERVER_OFFSET, value);
    EXPECT_EQ(answer, (Bytes{TELNET_IAC, TELNET_SB, TELNET_COM_PORT, 101, 0x00, 0x00, 0xFF, 0xFF,
                             0xFF, 0xFF, TELNET_IAC, TELNET_SE}));
    wire.insert(wire.end(), answer.begin(), answer.end());
    wire.insert(wire.end(), {TELNET_IAC, 241 /* NOP */, 0x43});
    TelnetReader reader;
    TelnetReader::Parts parts;
    for (const std::uint8_t byte : wire) reader.feed(&byte, 1, true, &parts);
    EXPECT_EQ(parts.data, (Bytes{0x41, 0x42, 0x43}));
    ASSERT_EQ(parts.negotiations.size(), 1u);
    EXPECT_EQ(parts.negotiations[0].verb, TELNET_WILL);
    ASSERT_EQ(parts.subnegotiations.size(), 1u);
    EXPECT_EQ(parts.subnegotiations[0], (Bytes{TELNET_COM_PORT, 101, 0x00, 0x00, 0xFF, 0xFF}));
}

// What a server offers, as ser2net opens a connection, gets one answer each and no loop:
// echo above all is refused, so that the board's answers never come back as its own.
TEST(TelnetCodecTest, NegotiationTakesBinaryAndTheComPortAndRefusesEcho) {
    TelnetOptions options;
    EXPECT_EQ(options.opening(),
              (Bytes{TELNET_IAC, TELNET_WILL, TELNET_COM_PORT, TELNET_IAC, TELNET_WILL,
                     TELNET_BINARY, TELNET_IAC, TELNET_DO, TELNET_BINARY}));
    struct Step {
        std::uint8_t verb, option;
        Bytes reply;
    };
    const std::uint8_t kEcho = 1, kTerminalType = 24;
    const Step steps[] = {
        {TELNET_WILL, TELNET_SUPPRESS_GO_AHEAD, {TELNET_IAC, TELNET_DO, TELNET_SUPPRESS_GO_AHEAD}},
        {TELNET_DO, TELNET_SUPPRESS_GO_AHEAD, {TELNET_IAC, TELNET_WILL, TELNET_SUPPRESS_GO_AHEAD}},
        {TELNET_WILL, kEcho, {TELNET_IAC, TELNET_DONT, kEcho}},
        {TELNET_DONT, kEcho, {}},
        {TELNET_DO, TELNET_BINARY, {}},  // asked for in the opening
        {TELNET_WILL, TELNET_BINARY, {}},
        {TELNET_DO, TELNET_COM_PORT, {}},
        {TELNET_DO, kTerminalType, {TELNET_IAC, TELNET_WONT, kTerminalType}},
        {TELNET_WILL, TELNET_SUPPRESS_GO_AHEAD, {}},  // no second answer
    };
    for (const Step& step : steps)
        EXPECT_EQ(options.answer({step.verb, step.option}), step.reply)
            << int{step.verb} << " " << int{step.option};
    EXPECT_TRUE(options.comPortAgreed());
    EXPECT_TRUE(options.serverSendsBinary());

    // A server that will not take binary data gets CR NUL from then on.
    EXPECT_EQ(options.answer({TELNET_DONT, TELNET_BINARY}),
              (Bytes{TELNET_IAC, TELNET_WONT, TELNET_BINARY}));
    EXPECT_FALSE(options.serverTakesBinary());
}

}  // namespace
