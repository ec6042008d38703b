#pragma once

#include "ports/portinfo.h"

#include <string>
#include <string_view>
#include <system_error>

namespace tovrix {

// Assigning devices to COM numbers. The choice lives only in the COM links
// (serial/portnames.h); these functions write and remove them.

// Where COM n's link should point for a listed device: its stable by-id
// name where udev made one, so that the assignment survives the adapter
// coming back under another ttyUSB number; otherwise the node itself.
std::string linkTarget(const SerialPortInfo& port);

// The device a typed text names: a bare name ("ttyUSB0") is the node of
// that name in /dev, an absolute path stays as it is. Blanks around it are
// dropped. A network port name (rfc2217://HOST:PORT, socket://..., tcp://...)
// stays as it is when it is well formed. Anything else (nothing, a relative
// path with folders, a malformed network name) names no device: the result
// is empty.
std::string typedDevicePath(std::string_view typed);

// Points COM n at `target`, replacing its link in one step, so that no moment
// exists in which COM n names another device; creates the links' folder.
// Something at the link's place that is not a link (a file, a folder) is
// not the tool's to replace: file_exists, and it stays as it is.
std::error_code writeComLink(int n, const std::string& target);

// Removes COM n's link, so that COM n is /dev/ttyS<n-1> again. No link is
// no error; something there that is not a link stays (file_exists).
std::error_code clearComLink(int n);

}  // namespace tovrix
