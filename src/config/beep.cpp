#include "config/beep.h"

#include <utility>

namespace tovrix {

namespace {
BeepSink& currentSink() {
    static BeepSink sink;
    return sink;
}
}  // namespace

void beep() {
    if (const BeepSink& sink = currentSink()) {
        sink();
    }
}

BeepSink setBeepSink(BeepSink sink) {
    return std::exchange(currentSink(), std::move(sink));
}

}  // namespace tovrix
