#pragma once

#include <string>

namespace tovrix {

// COM port numbers map onto device paths in exactly one place: here.
//
// COM n is the device that the link <ports>/com<n> points to, where <ports>
// is $XDG_CONFIG_HOME/tovrix/ports (~/.config/tovrix/ports when the variable
// is unset or empty); without such a link it is /dev/ttyS<n-1>. A link may
// also hold a network port name (rfc2217://HOST:PORT, socket://HOST:PORT,
// tcp://HOST:PORT, see networkname.h), which COM n then stands for.

// The directory that holds the COM links.
std::string comPortDirectory();

// Where the link for COM n lives (whether or not it exists).
std::string comLinkPath(int n);

// The device (or network port name) to open for COM n (n >= 1).
std::string comDevicePath(int n);

}  // namespace tovrix
