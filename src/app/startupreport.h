#pragma once

class QWidget;
class QString;

namespace tovrix {

// Support for the start-up benchmark and the end-to-end test: when the
// environment variable TOVRIX_STARTUP_REPORT is set, the program prints one
// line as soon as it is idle, naming the control that holds the focus, the
// two status bar panels and the peak resident memory:
//   idle focus=LeseButton port=COM1 file=newfile.tvx peak_rss_kb=41234
// With the value "quit" it then ends. Without the variable nothing happens.
void reportStartupIfAsked(const QWidget* focus, const QString& port, const QString& file);

}  // namespace tovrix
