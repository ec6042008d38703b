#pragma once

namespace tovrix {

// The program's identity on the desktop: the class its windows carry (which
// the desktop entry's StartupWMClass names), the desktop entry it belongs to
// and its icon. Called once, right after the application object exists.
void applyDesktopIdentity();

}  // namespace tovrix
