#include "app/busycursor.h"

#include "serial/customcomport.h"

#include <QApplication>
#include <QCursor>

namespace tovrix {

void installBusyCursor() {
    setBusyIndicator([](bool busy) {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    });
}

}  // namespace tovrix
