#include "app/desktopbeep.h"

#include "config/beep.h"

#include <QApplication>

namespace tovrix {

void installDesktopBeep() {
    setBeepSink([] { QApplication::beep(); });
}

}  // namespace tovrix
