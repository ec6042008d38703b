#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tovrix {

// Names of serial lines reached over the network: rfc2217://HOST:PORT (with
// the com-port option of Telnet) and socket://HOST:PORT or tcp://HOST:PORT
// (a plain byte stream whose line settings the server holds). HOST is a
// name, an IPv4 address or an IPv6 address in brackets.
enum class NetworkProtocol { Raw, Rfc2217 };

struct NetworkAddress {
    NetworkProtocol protocol = NetworkProtocol::Raw;
    std::string host;  // without the brackets of an IPv6 address
    std::string port;  // decimal, 1..65535
};

// Whether the name starts like a network port name (its rest may still be
// malformed): such a name is never a device path.
bool isNetworkPortName(std::string_view name);

// The parts of a well-formed network port name; nothing otherwise.
std::optional<NetworkAddress> parseNetworkPortName(std::string_view name);

}  // namespace tovrix
