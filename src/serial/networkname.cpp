#include "serial/networkname.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace tovrix {

namespace {

constexpr std::array<std::pair<std::string_view, NetworkProtocol>, 3> kSchemes{{
    {"rfc2217://", NetworkProtocol::Rfc2217},
    {"socket://", NetworkProtocol::Raw},
    {"tcp://", NetworkProtocol::Raw},
}};

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char wanted, char given) {
               return std::tolower(static_cast<unsigned char>(given)) == wanted;
           });
}

bool validPort(std::string_view port) {
    if (port.empty() || port.size() > 5 || port.front() == '0') {
        return false;
    }
    long value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

bool validHostName(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_';
    });
}

bool validIpv6(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.' ||
               c == '%' || std::isalnum(static_cast<unsigned char>(c)) != 0;
    });
}

}  // namespace

bool isNetworkPortName(std::string_view name) {
    return std::any_of(kSchemes.begin(), kSchemes.end(),
                       [&](const auto& scheme) { return startsWithNoCase(name, scheme.first); });
}

std::optional<NetworkAddress> parseNetworkPortName(std::string_view name) {
    for (const auto& [scheme, protocol] : kSchemes) {
        if (!startsWithNoCase(name, scheme)) {
            continue;
        }
        std::string_view rest = name.substr(scheme.size());
        NetworkAddress address;
        address.protocol = protocol;
        std::string_view host;
        std::string_view port;
        if (!rest.empty() && rest.front() == '[') {
            const std::size_t close = rest.find(']');
            if (close == std::string_view::npos || close + 1 >= rest.size() ||
                rest[close + 1] != ':') {
                return std::nullopt;
            }
            host = rest.substr(1, close - 1);
            port = rest.substr(close + 2);
            if (!validIpv6(host) || host.find(':') == std::string_view::npos) {
                return std::nullopt;
            }
        } else {
            const std::size_t colon = rest.rfind(':');
            if (colon == std::string_view::npos) {
                return std::nullopt;
            }
            host = rest.substr(0, colon);
            port = rest.substr(colon + 1);
            if (!validHostName(host)) {
                return std::nullopt;  // also an IPv6 address without brackets
            }
        }
        if (!validPort(port)) {
            return std::nullopt;
        }
        address.host = std::string(host);
        address.port = std::string(port);
        return address;
    }
    return std::nullopt;
}

}  // namespace tovrix
