#include "link/quietline.h"

#include <algorithm>

namespace tovrix {

QuietLine::QuietLine(LinkTimer& timer) : timer_(timer) {}

void QuietLine::takeOver(std::int32_t owed) {
    if (!waiting_) {
        owed_ = std::max<std::int32_t>(0, owed);
    }
}

void QuietLine::beginWait() {
    waiting_ = true;
    restart(0);
}

void QuietLine::cancel() {
    waiting_ = false;
    timer_.stop();
}

void QuietLine::bytesSeen(int count) {
    if (waiting_) {
        restart(count);
    }
}

bool QuietLine::expired(int bytesFound) {
    timer_.stop();
    if (!waiting_) {
        return false;
    }
    // Bytes waiting unannounced (this thread was held up) mean the line was
    // not quiet after all.
    if (bytesFound > 0) {
        restart(bytesFound);
        return false;
    }
    if (!confirming_) {
        confirming_ = true;
        timer_.setInterval(kConfirm);
        timer_.start();
        return false;
    }
    waiting_ = false;
    owed_ = 0;
    return true;
}

// The wait starts (again) after the line carried this many bytes.
void QuietLine::restart(int bytesSeen) {
    owed_ = std::max(0, owed_ - bytesSeen);
    confirming_ = false;
    timer_.stop();
    timer_.setInterval(owed_ > 0 ? kOwedInterval : kInterval);
    timer_.start();
}

}  // namespace tovrix
