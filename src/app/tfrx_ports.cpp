// The serial devices behind the COM items: udev's announcements, the
// catalogue, the COM items' texts and the port dialog.
#include "app/tfrx.h"
#include "dialogs/portsdialog.h"
#include "dialogs/porttexts.h"
#include "link/transfersequence.h"
#include "ports/catalogue.h"
#include "ports/portmonitor.h"

#include <QAction>
#include <QLabel>
#include <QSocketNotifier>

#include <exception>

namespace tovrix {

void TFRX::watchPorts() {
    portMonitor_ = std::make_unique<PortMonitor>();
    if (portMonitor_->fd() >= 0) {
        // The descriptor wakes the event loop when udev announces a device:
        // no timer, no thread, nothing to do while nothing changes.
        auto* notifier = new QSocketNotifier(portMonitor_->fd(), QSocketNotifier::Read, this);
        notifier->setObjectName(QStringLiteral("PortNotifier"));
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            try {
                if (portMonitor_->takeEvents()) {
                    portsChanged();
                }
            } catch (const std::exception& error) {
                showError(QString::fromLocal8Bit(error.what()));
            }
        });
    }
    listPorts();
}

void TFRX::portsChanged() {
    MainMenu1Change();
    // Listed after the probe, which may have closed the window's own port.
    listPorts();
}

void TFRX::listPorts() {
    ports_ = listSerialPorts();
    showPortItems();
    if (Schnittstellen != nullptr) {
        Schnittstellen->showCatalogue(ports_);
    }
}

void TFRX::showPortItems() {
    for (int n = 1; n <= kComPorts; ++n) {
        portAction(n)->setText(comItemText(comPortState(n, ports_)));
    }
    markSelectedPort(selectedPort());
}

void TFRX::markSelectedPort(int n) {
    // A programming run keeps every COM item greyed out until it ends.
    if (!transfers_->programmingRunning()) {
        portAction(n)->setEnabled(true);
    }
    SB1Panel0->setToolTip(comToolTip(comPortState(n, ports_)));
}

void TFRX::MSchnittstellenClick() {
    if (Schnittstellen == nullptr) {
        Schnittstellen = new TSchnittstellen(this);
        connect(Schnittstellen, &TSchnittstellen::assignmentsChanged, this, &TFRX::portsChanged);
    }
    // Locks come and go without an announcement: look again.
    listPorts();
    Schnittstellen->open();
}

}  // namespace tovrix
