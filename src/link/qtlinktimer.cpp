#include "link/qtlinktimer.h"

#include <QTimer>

namespace tovrix {

QtLinkTimer::QtLinkTimer(QTimer& timer) : timer_(timer) {
    timer_.setSingleShot(false);
    // The watchdog's 1000 ms and the test's 2000 ms are measured against the
    // line; a coarse timer may fire up to 5 % late, a precise one does not.
    timer_.setTimerType(Qt::PreciseTimer);
}

void QtLinkTimer::stop() {
    timer_.stop();
}

void QtLinkTimer::setInterval(std::chrono::milliseconds interval) {
    timer_.setInterval(interval);
}

void QtLinkTimer::start() {
    timer_.start();
}

}  // namespace tovrix
