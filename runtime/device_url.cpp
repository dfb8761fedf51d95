#include "runtime/device_url.h"

#include <cctype>
#include <charconv>

namespace tarvik::rt {
namespace {

constexpr const char* kRawScheme = "tcp://";
constexpr const char* kTelnetScheme = "rfc2217://";
constexpr int kHighestPort = 65535;

bool startsWithScheme(const std::string& path, const std::string& scheme) {
    if (path.size() < scheme.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[i])) != scheme[i]) return false;
    return true;
}

}  // namespace

bool IsDeviceUrl(const std::string& path) {
    return startsWithScheme(path, kRawScheme) || startsWithScheme(path, kTelnetScheme);
}

bool ParseDeviceUrl(const std::string& path, DeviceUrl* url, std::string* error) {
    const bool raw = startsWithScheme(path, kRawScheme);
    if (!raw && !startsWithScheme(path, kTelnetScheme)) {
        *error = "not a tcp:// or rfc2217:// device";
        return false;
    }
    const std::string scheme = raw ? kRawScheme : kTelnetScheme;
    const std::string form = scheme + "HOST:PORT";
    std::string rest = path.substr(scheme.size());
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::string host;
    std::size_t colon = std::string::npos;
    if (!rest.empty() && rest[0] == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
            *error = "an IPv6 address goes in brackets: " + scheme + "[::1]:PORT";
            return false;
        }
        host = rest.substr(1, close - 1);
        colon = close + 1;
    } else {
        colon = rest.rfind(':');
        if (colon == std::string::npos || rest.find(':') != colon) {
            *error = colon == std::string::npos
                         ? form + " wants a port"
                         : "an IPv6 address goes in brackets: " + scheme + "[::1]:PORT";
            return false;
        }
        host = rest.substr(0, colon);
    }
    const std::string port = rest.substr(colon + 1);
    int number = 0;
    const auto [end, problem] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (host.empty()) {
        *error = form + " wants a host";
        return false;
    }
    if (port.empty() || problem != std::errc() || end != port.data() + port.size() || number < 1 ||
        number > kHighestPort) {
        *error = form + " wants a port from 1 to " + std::to_string(kHighestPort);
        return false;
    }
    *url = {raw ? DeviceUrl::Kind::RawTcp : DeviceUrl::Kind::Rfc2217, host, port};
    return true;
}

}  // namespace tarvik::rt
