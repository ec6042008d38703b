#pragma once

#include <functional>

namespace tovrix {

// The tool's one alert sound. Every correction of a bad entry, every failed
// transfer and every file error goes through here, so that the program can
// route it to the desktop's beep and tests can count it.
void beep();

using BeepSink = std::function<void()>;

// Replaces the function that beep() calls and returns the previous one.
// Without a sink beep() is silent (pure-logic tools and tests).
BeepSink setBeepSink(BeepSink sink);

}  // namespace tovrix
