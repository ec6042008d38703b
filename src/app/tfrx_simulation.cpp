// The menu entry of the window "Simulation" and its opening.
#include "app/simulationwindow.h"
#include "app/tfrx.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tovrix {

void TFRX::buildSimulationMenu(QMenuBar* bar) {
    MSimulation = bar->addMenu(QStringLiteral("&Simulation"));
    MSimulation->setObjectName(QStringLiteral("MSimulation"));
    MSimulationFenster = MSimulation->addAction(QStringLiteral("Simulation und Tabellen&prüfung…"));
    MSimulationFenster->setObjectName(QStringLiteral("MSimulationFenster"));
    MSimulationFenster->setShortcut(QKeySequence(Qt::Key_F9));
    connect(MSimulationFenster, &QAction::triggered, this, &TFRX::MSimulationClick);
}

void TFRX::MSimulationClick() {
    if (!simulationWindow) {
        simulationWindow = new SimulationWindow(*this);
        connect(this, &TFRX::dataEdited, simulationWindow, &SimulationWindow::dataChanged);
    }
    simulationWindow->show();
    simulationWindow->raise();
    simulationWindow->activateWindow();
}

}  // namespace tovrix
