#pragma once

namespace tovrix {

// Routes the tool's beep to the desktop's alert sound.
void installDesktopBeep();

}  // namespace tovrix
