#pragma once

namespace tovrix {

// Shows the hourglass (the wait cursor) while the serial component opens a
// port, and restores the pointer afterwards on every path.
void installBusyCursor();

}  // namespace tovrix
