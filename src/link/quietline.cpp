#include "link/quietline.h"

#include <algorithm>
#include <utility>

namespace tovrix {

QuietLine::QuietLine(LinkTimer& timer) : timer_(timer) {}

void QuietLine::takeOver(std::int32_t owed) {
    if (waiting_) {
        return;
    }
    owed_ = std::max<std::int32_t>(0, owed);
    atOnce_ = record_ == Record::quiet && owed_ == 0;
    // The line is in use from now on: what the idle line did no longer counts.
    stopWatching(Record::unknown);
}

bool QuietLine::beginWait() {
    if (std::exchange(atOnce_, false)) {
        return false;
    }
    waiting_ = true;
    restart(0);
    return true;
}

void QuietLine::cancel() {
    waiting_ = false;
    timer_.stop();
}

void QuietLine::transferEnded(bool complete) {
    atOnce_ = false;
    if (waiting_) {
        return;
    }
    if (!complete) {
        stopWatching(Record::unknown);
        return;
    }
    record_ = Record::watching;
    confirming_ = false;
    timer_.stop();
    timer_.setInterval(kInterval);
    timer_.start();
}

void QuietLine::forget() {
    atOnce_ = false;
    stopWatching(Record::unknown);
}

void QuietLine::bytesSeen(int count) {
    if (waiting_) {
        restart(count);
    } else if (count > 0) {
        // Something talks after the end: it is not known what else is coming.
        stopWatching(Record::unknown);
    }
}

bool QuietLine::expired(int bytesFound) {
    timer_.stop();
    if (!waiting_ && record_ != Record::watching) {
        return false;
    }
    // Bytes waiting unannounced (this thread was held up) mean the line was
    // not quiet after all.
    if (bytesFound > 0) {
        bytesSeen(bytesFound);
        return false;
    }
    if (!confirming_) {
        confirming_ = true;
        timer_.setInterval(kConfirm);
        timer_.start();
        return false;
    }
    confirming_ = false;
    if (!waiting_) {
        record_ = Record::quiet;
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

void QuietLine::stopWatching(Record record) {
    if (record_ == Record::watching) {
        timer_.stop();
    }
    record_ = record;
}

}  // namespace tovrix
