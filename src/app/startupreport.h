#pragma once

namespace tovrix {

// Support for the start-up benchmark: when the environment variable
// TOVRIX_STARTUP_REPORT is set, the program prints one line with its peak
// resident memory as soon as it is idle and then quits. The benchmark times
// the line's arrival from process start. Without the variable nothing
// happens.
void reportStartupAndQuitIfAsked();

}  // namespace tovrix
