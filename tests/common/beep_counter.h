#pragma once

#include "config/beep.h"

#include <utility>

namespace tovrix::test {

// Counts the beeps sounded while it lives and restores the previous sink.
class BeepCounter {
  public:
    BeepCounter() : previous_(setBeepSink([this] { ++count_; })) {}
    ~BeepCounter() { setBeepSink(std::move(previous_)); }
    BeepCounter(const BeepCounter&) = delete;
    BeepCounter& operator=(const BeepCounter&) = delete;

    int count() const { return count_; }
    // Returns the count so far and starts again from zero.
    int take() { return std::exchange(count_, 0); }

  private:
    int count_ = 0;
    BeepSink previous_;
};

}  // namespace tovrix::test
