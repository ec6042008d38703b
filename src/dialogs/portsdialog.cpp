#include "dialogs/portsdialog.h"

#include "dialogs/porttexts.h"
#include "ports/catalogue.h"
#include "ports/comlinks.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tovrix {

namespace {

template <class W>
W* named(W* widget, const char* name, const QString& accessibleName) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QTableWidget* makeTable(QWidget* parent, const char* name, const QString& accessibleName,
                        const QStringList& titles) {
    auto* table =
        named(new QTableWidget(0, static_cast<int>(titles.size()), parent), name, accessibleName);
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void fillRow(QTableWidget* table, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setToolTip(texts[column]);
        table->setItem(row, column, item);
    }
}

}  // namespace

TSchnittstellen::TSchnittstellen(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Schnittstellen"));
    setWindowTitle(QStringLiteral("Schnittstellen"));
    // Wide enough for the device table, but never wider than the screen
    // (less a window frame): on a small screen the tables scroll instead.
    const QSize frame(40, 80);
    resize(QSize(1040, 640).boundedTo(screen()->availableGeometry().size() - frame));

    auto* comBox = named(new QGroupBox(QStringLiteral("COM-Nummern"), this), "ComBox",
                         QStringLiteral("COM-Nummern"));
    ComListe = makeTable(comBox, "ComListe", QStringLiteral("COM-Nummern"),
                         {QStringLiteral("COM"), QStringLiteral("Pfad"), QStringLiteral("Gerät")});
    ComListe->setRowCount(kComPorts);
    ComListe->setFixedHeight(ComListe->horizontalHeader()->sizeHint().height() +
                             kComPorts * ComListe->verticalHeader()->defaultSectionSize() + 4);
    (new QVBoxLayout(comBox))->addWidget(ComListe);

    auto* deviceBox = named(new QGroupBox(QStringLiteral("Vorhandene Geräte"), this), "GeraeteBox",
                            QStringLiteral("Vorhandene Geräte"));
    GeraeteListe = makeTable(deviceBox, "GeraeteListe", QStringLiteral("Vorhandene Geräte"),
                             deviceColumnTitles());
    GeraeteListe->setMinimumHeight(6 * GeraeteListe->verticalHeader()->defaultSectionSize());
    // The stable names are long: they keep their width and the table scrolls.
    GeraeteListe->horizontalHeader()->setStretchLastSection(false);
    Zugriffshinweis =
        named(new QLabel(deviceBox), "Zugriffshinweis", QStringLiteral("Hinweis zum Zugriff"));
    Zugriffshinweis->setWordWrap(true);
    Zugriffshinweis->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette warning = Zugriffshinweis->palette();
    warning.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Zugriffshinweis->setPalette(warning);
    auto* deviceLayout = new QVBoxLayout(deviceBox);
    deviceLayout->addWidget(GeraeteListe);
    deviceLayout->addWidget(Zugriffshinweis);

    auto* changeBox = named(new QGroupBox(QStringLiteral("Zuordnung ändern"), this), "ZuordnungBox",
                            QStringLiteral("Zuordnung ändern"));
    ComWahl = named(new QComboBox(changeBox), "ComWahl", QStringLiteral("COM-Nummer"));
    for (int n = 1; n <= kComPorts; ++n) {
        ComWahl->addItem(QStringLiteral("COM%1").arg(n), n);
    }
    auto* comLabel = named(new QLabel(QStringLiteral("COM-&Nummer:"), changeBox), "LComWahl",
                           QStringLiteral("COM-Nummer"));
    comLabel->setBuddy(ComWahl);
    Zuordnen = named(new QPushButton(QStringLiteral("Gewähltes Gerät &zuordnen"), changeBox),
                     "Zuordnen", QStringLiteral("Gewähltes Gerät zuordnen"));
    Loesen = named(new QPushButton(QStringLiteral("Zuordnung &lösen"), changeBox), "Loesen",
                   QStringLiteral("Zuordnung lösen"));
    Pfad = named(new QLineEdit(changeBox), "Pfad", QStringLiteral("Gerätepfad"));
    Pfad->setPlaceholderText(QStringLiteral("/dev/ttyUSB0 oder ttyUSB0"));
    auto* pathLabel = named(new QLabel(QStringLiteral("Geräte&pfad:"), changeBox), "LPfad",
                            QStringLiteral("Gerätepfad"));
    pathLabel->setBuddy(Pfad);
    PfadZuordnen = named(new QPushButton(QStringLiteral("Pfad zuor&dnen"), changeBox),
                         "PfadZuordnen", QStringLiteral("Pfad zuordnen"));
    Meldung = named(new QLabel(changeBox), "Meldung", QStringLiteral("Meldung"));
    Meldung->setWordWrap(true);
    Meldung->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* changeLayout = new QGridLayout(changeBox);
    changeLayout->addWidget(comLabel, 0, 0);
    changeLayout->addWidget(ComWahl, 0, 1);
    changeLayout->addWidget(Zuordnen, 0, 2);
    changeLayout->addWidget(Loesen, 0, 3);
    changeLayout->addWidget(pathLabel, 1, 0);
    changeLayout->addWidget(Pfad, 1, 1, 1, 2);
    changeLayout->addWidget(PfadZuordnen, 1, 3);
    changeLayout->addWidget(Meldung, 2, 0, 1, 4);
    changeLayout->setColumnStretch(1, 1);

    Schliessen = named(new QPushButton(QStringLiteral("Schl&ießen"), this), "Schliessen",
                       QStringLiteral("Schließen"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Schliessen);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(comBox);
    layout->addWidget(deviceBox, 1);
    layout->addWidget(changeBox);
    layout->addLayout(buttons);

    connect(Zuordnen, &QPushButton::clicked, this, &TSchnittstellen::ZuordnenClick);
    connect(Loesen, &QPushButton::clicked, this, &TSchnittstellen::LoesenClick);
    connect(PfadZuordnen, &QPushButton::clicked, this, &TSchnittstellen::PfadZuordnenClick);
    connect(Pfad, &QLineEdit::returnPressed, this, &TSchnittstellen::PfadZuordnenClick);
    connect(Pfad, &QLineEdit::textChanged, this, &TSchnittstellen::updateButtons);
    connect(GeraeteListe, &QTableWidget::itemSelectionChanged, this,
            &TSchnittstellen::updateButtons);
    connect(GeraeteListe, &QTableWidget::cellDoubleClicked, this, &TSchnittstellen::ZuordnenClick);
    // Picking a COM number in its table makes it the one to change.
    connect(ComListe, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0) {
            ComWahl->setCurrentIndex(row);
        }
    });
    connect(Schliessen, &QPushButton::clicked, this, &QDialog::accept);
    showComNumbers();
    updateButtons();
}

void TSchnittstellen::showCatalogue(const std::vector<SerialPortInfo>& ports) {
    const int row = GeraeteListe->currentRow();
    const std::string selected = row >= 0 && static_cast<std::size_t>(row) < ports_.size()
                                     ? ports_[static_cast<std::size_t>(row)].devicePath
                                     : std::string();
    ports_ = ports;
    // No row stays current by position: a device that went must not hand
    // its selection to the one that moved into its row.
    GeraeteListe->setCurrentCell(-1, -1);
    GeraeteListe->clearSelection();
    GeraeteListe->setRowCount(static_cast<int>(ports_.size()));
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        fillRow(GeraeteListe, static_cast<int>(i), deviceRowTexts(ports_[i]));
        if (!selected.empty() && ports_[i].devicePath == selected) {
            GeraeteListe->selectRow(static_cast<int>(i));
        }
    }
    const QString remedy = accessRemedy(ports_);
    Zugriffshinweis->setText(remedy);
    Zugriffshinweis->setVisible(!remedy.isEmpty());
    showComNumbers();
    updateButtons();
}

void TSchnittstellen::showComNumbers() {
    for (int n = 1; n <= kComPorts; ++n) {
        const ComPortState com = comPortState(n, ports_);
        fillRow(ComListe, n - 1,
                {QStringLiteral("COM%1").arg(n), comPathText(com), comDeviceText(com)});
    }
}

void TSchnittstellen::updateButtons() {
    Zuordnen->setEnabled(!GeraeteListe->selectedItems().isEmpty());
    PfadZuordnen->setEnabled(!Pfad->text().trimmed().isEmpty());
}

void TSchnittstellen::assign(const std::string& target) {
    const int n = ComWahl->currentData().toInt();
    const std::error_code error = writeComLink(n, target);
    Meldung->setText(error ? linkFailureText(n, error) : assignedText(n, target));
    if (!error) {
        showComNumbers();
        emit assignmentsChanged();
    }
}

void TSchnittstellen::ZuordnenClick() {
    const int row = GeraeteListe->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= ports_.size()) {
        return;
    }
    assign(linkTarget(ports_[static_cast<std::size_t>(row)]));
}

void TSchnittstellen::PfadZuordnenClick() {
    const std::string path = typedDevicePath(Pfad->text().toStdString());
    if (path.empty()) {
        Meldung->setText(
            QStringLiteral("„%1“ ist kein Gerätepfad: bitte einen Namen wie ttyUSB0, einen "
                           "vollständigen Pfad wie /dev/ttyUSB0 oder einen Netzwerk-Port wie "
                           "rfc2217://10.1.2.3:4001 eingeben.")
                .arg(Pfad->text()));
        return;
    }
    assign(path);
}

void TSchnittstellen::LoesenClick() {
    const int n = ComWahl->currentData().toInt();
    const std::error_code error = clearComLink(n);
    Meldung->setText(error ? linkFailureText(n, error) : clearedText(n));
    if (!error) {
        showComNumbers();
        emit assignmentsChanged();
    }
}

}  // namespace tovrix
