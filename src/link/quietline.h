#pragma once

#include "link/linkinterfaces.h"

#include <chrono>
#include <cstdint>

namespace tovrix {

// The wait for a quiet line before a transfer's first frame. Bytes still on
// their way from before (the rest of a table read that was replaced, a frame
// cut off, a receiver that is late) must not be taken as answers, so a start
// sends nothing until nothing has arrived for a while. Every byte seen
// meanwhile starts the wait again; a quiet interval is confirmed by a second
// look a moment later.
//
// While a replaced table read still owes bytes of its image, a pause in its
// stream is the far end falling behind, not the end of the stream: only a
// longer silence counts then. Every byte seen counts against what is owed.
//
// The wait is needed only when bytes may still be on their way. After a
// transfer that ended complete (every request had its answer, no byte more,
// a good verdict) the far end owes nothing; the same timer then watches the
// idle line for one quiet interval and its second look. A start made after
// that, on the same port, owing nothing, sends its first frame at once. Any
// byte after the end, a failure, a replaced transfer, a port opened afresh
// or the first start leave the line unknown: the next start waits in full.
//
// Drives one timer; the owner calls expired() when it fires and reads the
// port itself. Keeps no time of its own, so it is tested with a fake timer.
class QuietLine {
  public:
    // A start sends its first frame once nothing has arrived for this long.
    // It is the silence after which the receiver itself drops a frame it had
    // begun, so a frame of a replaced transfer cut off on its way is gone too.
    static constexpr std::chrono::milliseconds kInterval{100};
    // A quiet interval is confirmed by a second look this much later. The end
    // of the interval may be the first thing this process does after the
    // machine held it up; a far end on the same machine (a pseudo-terminal
    // bridge, the receiver emulator) was held up with it and owes the bytes of
    // that time. The second look gives it its turn to send them.
    static constexpr std::chrono::milliseconds kConfirm{20};
    // While a replaced table read still owes bytes, the line counts as quiet
    // only after this long: under load its far end may fall behind for more
    // than the normal interval.
    static constexpr std::chrono::milliseconds kOwedInterval{500};

    explicit QuietLine(LinkTimer& timer);

    QuietLine(const QuietLine&) = delete;
    QuietLine& operator=(const QuietLine&) = delete;

    // A start takes the line over from what ran on it; owed is what a table
    // read it replaces still streams. A start made while an earlier start
    // still waits keeps what the line owed: that start sent nothing.
    void takeOver(std::int32_t owed);
    // The start's wait begins. False when it need not: the line has been
    // quiet since a transfer ended complete, and the first frame may go now.
    bool beginWait();
    // A transfer has ended; complete when every request had its answer, no
    // byte came beside them and its verdict was good. Only then is the idle
    // line watched.
    void transferEnded(bool complete);
    // The port was opened afresh, switched or lost: what the line did since
    // the last transfer is unknown.
    void forget();
    // The idle line has been quiet since a transfer ended complete.
    bool quietSinceEnd() const { return record_ == Record::quiet; }
    // The start was given up (replaced, ended, the port gone): no more waiting.
    void cancel();
    // The line carried this many bytes (a receive notification): they count
    // against what is owed, and a wait starts again.
    void bytesSeen(int count);
    // The timer fired; bytesFound is what the owner found waiting unannounced
    // and dropped. True when the wait is over: the first frame may go now.
    bool expired(int bytesFound);

    bool waiting() const { return waiting_; }
    std::int32_t owed() const { return owed_; }

  private:
    // What is known of the idle line since the last transfer ended.
    enum class Record {
        unknown,   // bytes may be on their way
        watching,  // ended complete; the idle line is being watched
        quiet,     // ended complete and quiet for an interval since
    };

    void restart(int bytesSeen);
    void stopWatching(Record record);

    LinkTimer& timer_;
    bool waiting_ = false;     // a start waits for the line to go quiet
    bool confirming_ = false;  // the interval passed quietly; the second look is due
    std::int32_t owed_ = 0;    // bytes a replaced table read still streams
    Record record_ = Record::unknown;
    bool atOnce_ = false;  // the start being made may send its first frame at once
};

}  // namespace tovrix
