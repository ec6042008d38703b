#pragma once

#include "link/linkinterfaces.h"

class QTimer;

namespace tovrix {

// A QTimer as the transfers' watchdog or reset timer (the window's Timer1
// and resettimer, the command line's own): repeating until the transfer
// code stops it. Whoever owns the timer connects its timeout to the
// sequence's handler.
class QtLinkTimer : public LinkTimer {
  public:
    explicit QtLinkTimer(QTimer& timer);

    void stop() override;
    void setInterval(std::chrono::milliseconds interval) override;
    void start() override;

  private:
    QTimer& timer_;
};

}  // namespace tovrix
