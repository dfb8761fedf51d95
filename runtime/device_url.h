#pragma once
// A COM port's device on the network: "tcp://HOST:PORT" (a raw TCP port of a serial-to-network
// server such as ser2net) or "rfc2217://HOST:PORT" (a telnet port that takes the serial
// settings through RFC 2217's COM-PORT-OPTION). HOST is a name, an IPv4 address or an IPv6
// literal in brackets ("[::1]"). Internal to runtime/.

#include <string>

namespace tarvik::rt {

struct DeviceUrl {
    enum class Kind { RawTcp, Rfc2217 };
    Kind kind = Kind::RawTcp;
    std::string host;  // without the brackets of an IPv6 literal
    std::string port;  // decimal, 1 to 65535
};

// Whether path names a network device at all (it starts with one of the schemes above).
bool IsDeviceUrl(const std::string& path);

// Reads path as a device URL. Returns true with *url filled; false with the reason in
// *error ("tcp://HOST:PORT wants a port from 1 to 65535") when it is not one.
bool ParseDeviceUrl(const std::string& path, DeviceUrl* url, std::string* error);

}  // namespace tarvik::rt
