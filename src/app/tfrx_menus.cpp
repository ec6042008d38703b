// Menus, port selection and the port probe.
#include "app/tfrx.h"
#include "dialogs/porttexts.h"
#include "link/transfersequence.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

#include <exception>

namespace tovrix {

namespace {

QAction* named(QAction* action, const char* name) {
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* hiddenDisabled(QAction* action) {
    action->setVisible(false);
    action->setEnabled(false);
    return action;
}

// The small flag on the (hidden) language item.
QIcon languageIcon() {
    QPixmap flag(16, 12);
    QPainter painter(&flag);
    painter.fillRect(0, 0, 16, 4, Qt::black);
    painter.fillRect(0, 4, 16, 4, Qt::red);
    painter.fillRect(0, 8, 16, 4, QColor(255, 204, 0));
    return QIcon(flag);
}

}  // namespace

void TFRX::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    MDatei = bar->addMenu(QStringLiteral("&Datei"));
    MDatei->setObjectName(QStringLiteral("MDatei"));
    Mneu = hiddenDisabled(named(MDatei->addAction(QStringLiteral("&neu")), "Mneu"));
    N3 = named(MDatei->addSeparator(), "N3");
    MLaden = named(MDatei->addAction(QStringLiteral("&Laden")), "MLaden");
    MSpeichern = named(MDatei->addAction(QStringLiteral("&Speichern")), "MSpeichern");
    N4 = named(MDatei->addSeparator(), "N4");
    Mdruck =
        hiddenDisabled(named(MDatei->addAction(QStringLiteral("D&ruck Einstellung")), "Mdruck"));
    N1 = named(MDatei->addSeparator(), "N1");
    MExit = named(MDatei->addAction(QStringLiteral("e&xit")), "MExit");
    connect(MExit, &QAction::triggered, this, &TFRX::MExitClick);

    MKommunikation = bar->addMenu(QStringLiteral("&Kommunikation"));
    MKommunikation->setObjectName(QStringLiteral("MKommunikation"));
    MDatensenden = named(MKommunikation->addAction(QStringLiteral("Konfigurations-Daten &senden")),
                         "MDatensenden");
    MDatenempfangen =
        named(MKommunikation->addAction(QStringLiteral("Konfigurations-Daten &empfangen")),
              "MDatenempfangen");
    N5 = named(MKommunikation->addSeparator(), "N5");
    Mwrite64 =
        named(MKommunikation->addAction(QStringLiteral("Tabelle &programmieren")), "Mwrite64");
    Mread64 = named(MKommunikation->addAction(QStringLiteral("Tabelle aus&lesen")), "Mread64");
    N6 = named(MKommunikation->addSeparator(), "N6");

    COMGroup = new QActionGroup(this);
    COMGroup->setObjectName(QStringLiteral("COMGroup"));
    COMGroup->setExclusive(true);
    const std::array<const char*, 4> names{"COM11", "COM21", "COM31", "COM41"};
    std::array<QAction*, 4> items{};
    for (int n = 1; n <= 4; ++n) {
        QAction* item = MKommunikation->addAction(QStringLiteral("COM&%1").arg(n));
        named(item, names[static_cast<std::size_t>(n - 1)]);
        item->setCheckable(true);
        COMGroup->addAction(item);
        items[static_cast<std::size_t>(n - 1)] = item;
    }
    COM11 = items[0];
    COM21 = items[1];
    COM31 = items[2];
    COM41 = items[3];
    COM11->setChecked(true);
    connect(COM11, &QAction::triggered, this, &TFRX::COM11Click);
    connect(COM21, &QAction::triggered, this, &TFRX::COM21Click);
    connect(COM31, &QAction::triggered, this, &TFRX::COM31Click);
    connect(COM41, &QAction::triggered, this, &TFRX::COM41Click);
    // Only a change of an item's enabled state counts as a menu change; the
    // check marks that every refresh sets do not.
    for (QAction* item : items) {
        connect(item, &QAction::enabledChanged, this, &TFRX::MainMenu1Change);
    }
    // A probe that a transfer held back runs before the user sees the items.
    connect(MKommunikation, &QMenu::aboutToShow, this, [this] {
        if (probePending_) {
            MainMenu1Change();
        }
    });
    N7 = named(MKommunikation->addSeparator(), "N7");
    MSchnittstellen =
        named(MKommunikation->addAction(QStringLiteral("Sc&hnittstellen…")), "MSchnittstellen");
    connect(MSchnittstellen, &QAction::triggered, this, &TFRX::MSchnittstellenClick);

    buildSimulationMenu(bar);

    N2 = named(bar->addAction(QStringLiteral(" ")), "N2");
    Mhilfe = named(bar->addAction(QStringLiteral("&Hilfe")), "Mhilfe");
    connect(Mhilfe, &QAction::triggered, this, &TFRX::MhilfeClick);
    nix1 = named(bar->addAction(QString()), "nix1");
    Msprache =
        named(bar->addAction(languageIcon(), QStringLiteral("Sprache / language: D")), "Msprache");
    Msprache->setVisible(false);
    connect(Msprache, &QAction::triggered, this, &TFRX::MspracheClick);
}

QAction* TFRX::portAction(int n) const {
    switch (n) {
        case 1:
            return COM11;
        case 2:
            return COM21;
        case 3:
            return COM31;
        default:
            return COM41;
    }
}

int TFRX::selectedPort() const {
    bool ok = false;
    const int n = Lsavecom->text().toInt(&ok);
    // Port numbers come from the settings file; anything but 1..4 means COM1.
    return ok && n >= 1 && n <= 4 ? n : 1;
}

void TFRX::COM11Click() {
    selectPort(1);
}
void TFRX::COM21Click() {
    selectPort(2);
}
void TFRX::COM31Click() {
    selectPort(3);
}
void TFRX::COM41Click() {
    selectPort(4);
}

void TFRX::selectPort(int n) {
    portAction(n)->setChecked(true);
    Lsavecom->setText(QString::number(n));
    applyPortNumber(n);
    showdata();
}

void TFRX::applyPortNumber(int n) {
    const auto number = static_cast<std::uint16_t>(n);
    if (RS232.ComNumber() == number) {
        return;
    }
    try {
        // An open port closes and reopens on the new number.
        RS232.SetComNumber(number);
    } catch (const std::exception& error) {
        // The component's own text, and beside it why, in the user's words.
        showError(QString::fromLocal8Bit(error.what()) + QStringLiteral("\n\n") +
                  openFailureText(n, error));
    }
}

bool TFRX::probePort(int n) {
    try {
        RS232.Close();
        RS232.SetComNumber(static_cast<std::uint16_t>(n));
        RS232.Open();
        RS232.Close();
        return true;
    } catch (const std::exception&) {
        try {
            RS232.Close();
        } catch (const std::exception&) {
            // already closed or beyond help: the probe only wants a verdict
        }
        return false;
    }
}

void TFRX::MainMenu1Change() {
    // Disabling an item is itself a menu change; the nested notification
    // would only repeat the probe under way.
    if (probing_) {
        return;
    }
    // The probe closes the port: a device that comes or goes during a
    // transfer must not end it. The probe waits for a quiet moment.
    if (transfers_->transferRunning() || transfers_->programmingRunning()) {
        probePending_ = true;
        return;
    }
    probing_ = true;
    probePending_ = false;
    // The probe borrows the port; the selected number is put back afterwards
    // so that a later probe does not leave the port on COM2 behind the
    // user's back.
    const std::uint16_t selected = RS232.ComNumber();
    // The selected port stays available whatever the probe finds: a device
    // that is away for the moment must not lock the user out of it.
    const int chosen = selectedPort();
    COM11->setEnabled(probePort(1) || chosen == 1);
    COM21->setEnabled(probePort(2) || chosen == 2);
    RS232.SetComNumber(selected);
    probing_ = false;
}

}  // namespace tovrix
