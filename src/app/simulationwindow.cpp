#include "app/simulationwindow.h"

#include "app/gridmarks.h"
#include "app/numericedit.h"
#include "app/simtimeline.h"
#include "app/tfrx.h"
#include "config/numbers.h"
#include "link/transfersequence.h"
#include "sim/bytetext.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tovrix {

namespace {

// More rows would only slow every update; the text above them names all bytes.
constexpr int kByteRowsShown = 512;
const QColor kDifference(255, 190, 190);

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString ms(double value) {
    return QString::number(value, 'f', 2);
}

QTableWidget* makeList(QWidget* parent, const char* name, const QStringList& headers) {
    auto* list = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setHorizontalHeaderLabels(headers);
    list->verticalHeader()->hide();
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->horizontalHeader()->setStretchLastSection(true);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    return list;
}

// Sets a row's texts, making the items the first time.
void setRow(QTableWidget* list, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column) {
        QTableWidgetItem* item = list->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            list->setItem(row, column, item);
        }
        if (item->text() != texts[column]) {
            item->setText(texts[column]);
        }
    }
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QString readableText(const std::vector<sim::OutputByte>& bytes) {
    std::string text;
    for (const sim::OutputByte& b : bytes) {
        text += sim::readableByte(b.value);
    }
    return qs(text);
}

// "0-3, 7, 9-255"
QString valueRanges(const std::vector<std::uint8_t>& values) {
    QStringList parts;
    for (std::size_t i = 0; i < values.size();) {
        std::size_t j = i;
        while (j + 1 < values.size() && values[j + 1] == values[j] + 1) {
            ++j;
        }
        parts << (j == i ? QString::number(values[i])
                         : QStringLiteral("%1-%2").arg(values[i]).arg(values[j]));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString endText(const sim::TelegramResult& result) {
    const QString at =
        QStringLiteral("Zeile %1 Zelle %2").arg(result.endAt.line).arg(result.endAt.cell);
    switch (result.end) {
        case sim::OutputEnd::endCell:
            return QStringLiteral("Endezelle (%1)").arg(at);
        case sim::OutputEnd::lineEnd:
            return QStringLiteral("Zeilenende (%1)").arg(at);
        case sim::OutputEnd::endless: {
            QStringList lines;
            for (const std::uint8_t line : result.cycleLines) {
                lines << QString::number(line);
            }
            return QStringLiteral("endlos, nach %1 Zellen abgebrochen; Zyklus über Zeilen %2")
                .arg(sim::kStepBound)
                .arg(lines.join(QStringLiteral(" → ")));
        }
        case sim::OutputEnd::rejected:
            break;
    }
    return QStringLiteral("abgewiesen");
}

QString payloadText(const sim::Payload& payload) {
    return QStringLiteral("%1 %2 %3").arg(payload[0]).arg(payload[1]).arg(payload[2]);
}

}  // namespace

SimulationWindow::SimulationWindow(TFRX& frx) : QWidget(&frx, Qt::Window), frx_(frx) {
    setObjectName(QStringLiteral("SimulationWindow"));
    setWindowTitle(QStringLiteral("Simulation"));
    resize(900, 760);

    auto* layout = new QVBoxLayout(this);
    auto* inputRow = new QHBoxLayout;
    auto* inputColumn = new QVBoxLayout;
    auto* inputLabel = new QLabel(
        QStringLiteral("&Telegramme, eines je Zeile: B1 B2 B3 (dezimal oder $hex),\n"
                       "wahlweise @ms als Ankunftszeit (sonst 1000 ms nach dem vorigen)"),
        this);
    telegramEdit = new QPlainTextEdit(this);
    telegramEdit->setObjectName(QStringLiteral("telegramEdit"));
    telegramEdit->setPlainText(QStringLiteral("0 0 0\n1 1 1\n"));
    telegramEdit->setTabChangesFocus(true);
    telegramEdit->setMaximumHeight(110);
    inputLabel->setBuddy(telegramEdit);
    telegramError = new QLabel(this);
    telegramError->setObjectName(QStringLiteral("telegramError"));
    telegramError->setStyleSheet(QStringLiteral("color: #c00000"));
    inputColumn->addWidget(inputLabel);
    inputColumn->addWidget(telegramEdit);
    inputColumn->addWidget(telegramError);
    inputRow->addLayout(inputColumn, 1);

    resultList = makeList(
        this, "resultList",
        {QStringLiteral("Telegramm"), QStringLiteral("Ankunft ms"), QStringLiteral("Ergebnis"),
         QStringLiteral("Bytes"), QStringLiteral("Ende"), QStringLiteral("Analog")});
    resultList->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    inputRow->addWidget(resultList, 2);
    layout->addLayout(inputRow, 2);

    timeline = new SimTimeline(this);
    layout->addWidget(timeline, 1);

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    pages->addTab(buildOutputPage(), QStringLiteral("&Ausgabe"));
    pages->addTab(buildCheckPage(), QStringLiteral("Tabellen&prüfung"));
    pages->addTab(buildSweepPage(), QStringLiteral("Alle &Zeilenwerte"));
    pages->addTab(buildSendPage(), QStringLiteral("&Testtelegramm"));
    layout->addWidget(pages, 4);

    marks_ = new GridMarks(frx_.Tabwerte);
    updateTimer_ = new QTimer(this);
    updateTimer_->setSingleShot(true);
    updateTimer_->setInterval(0);
    connect(updateTimer_, &QTimer::timeout, this, &SimulationWindow::refresh);
    // The send button follows the transfers, which announce no change.
    sendStateTimer_ = new QTimer(this);
    sendStateTimer_->setInterval(200);
    connect(sendStateTimer_, &QTimer::timeout, this, &SimulationWindow::updateSendButton);

    connect(telegramEdit, &QPlainTextEdit::textChanged, this, &SimulationWindow::dataChanged);
    connect(resultList, &QTableWidget::itemSelectionChanged, this, &SimulationWindow::showSelected);
    connect(checkButton, &QPushButton::clicked, this, &SimulationWindow::runCheck);
    connect(sweepButton, &QPushButton::clicked, this, &SimulationWindow::runSweep);
    connect(findingList, &QTableWidget::cellClicked, this,
            [this](int row, int) { showFinding(row); });
    connect(findingList, &QTableWidget::cellActivated, this,
            [this](int row, int) { showFinding(row); });
    connect(sendButton, &QPushButton::clicked, this, &SimulationWindow::sendSelected);
    // What the receiver answers to a test telegram arrives in the test log.
    connect(frx_.TM, &QPlainTextEdit::textChanged, this, &SimulationWindow::showComparison);
    // Any change of a grid text, however it came (typing, a file, pasting),
    // and the page fields the table's settings come from.
    connect(frx_.Tabwerte->model(), &QAbstractItemModel::dataChanged, this,
            &SimulationWindow::dataChanged);
    connect(frx_.Pause1, &QLineEdit::textChanged, this, &SimulationWindow::dataChanged);
    connect(frx_.Bselect, &QComboBox::currentIndexChanged, this, &SimulationWindow::dataChanged);
    refresh();
}

SimulationWindow::~SimulationWindow() = default;

QWidget* SimulationWindow::buildOutputPage() {
    auto* page = new QSplitter(Qt::Horizontal);
    detailText = new QPlainTextEdit(page);
    detailText->setObjectName(QStringLiteral("detailText"));
    detailText->setReadOnly(true);
    detailText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    detailText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    byteList = makeList(page, "byteList",
                        {QStringLiteral("Nr"), QStringLiteral("ab ms"), QStringLiteral("Pause ms"),
                         QStringLiteral("Hex"), QStringLiteral("Dez"), QStringLiteral("Text")});
    byteList->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    page->addWidget(detailText);
    page->addWidget(byteList);
    page->setStretchFactor(0, 3);
    page->setStretchFactor(1, 2);
    return page;
}

QWidget* SimulationWindow::buildCheckPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    checkButton = makeButton(page, "checkButton", QStringLiteral("Tabelle &prüfen"));
    checkSummary = new QLabel(page);
    checkSummary->setObjectName(QStringLiteral("checkSummary"));
    row->addWidget(checkButton);
    row->addWidget(checkSummary, 1);
    layout->addLayout(row);
    findingList =
        makeList(page, "findingList",
                 {QStringLiteral("Stufe"), QStringLiteral("Zeile"), QStringLiteral("Zelle"),
                  QStringLiteral("Befund"), QStringLiteral("bei Zeilenwerten")});
    findingList->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(findingList, 1);
    QStringList assumed;
    for (const std::string& text : sim::assumptions()) {
        assumed << QStringLiteral("• ") + qs(text);
    }
    auto* assumptions = new QLabel(QStringLiteral("Annahmen:\n") + assumed.join(u'\n'), page);
    assumptions->setObjectName(QStringLiteral("assumptions"));
    assumptions->setWordWrap(true);
    layout->addWidget(assumptions);
    return page;
}

QWidget* SimulationWindow::buildSweepPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    sweepButton = makeButton(page, "sweepButton", QStringLiteral("Alle 256 &Werte durchspielen"));
    auto* note = new QLabel(
        QStringLiteral("Nutzdaten alle gleich dem Zeilenwert, Analogwert anfangs 0"), page);
    row->addWidget(sweepButton);
    row->addWidget(note, 1);
    layout->addLayout(row);
    sweepList =
        makeList(page, "sweepList",
                 {QStringLiteral("Wert"), QStringLiteral("Bytes"), QStringLiteral("Zeit ms"),
                  QStringLiteral("Ende"), QStringLiteral("Warnungen")});
    layout->addWidget(sweepList, 1);
    return page;
}

QWidget* SimulationWindow::buildSendPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    sendButton = makeButton(page, "sendButton",
                            QStringLiteral("Gewähltes Telegramm an den &Empfänger senden"));
    sendVerdict = new QLabel(page);
    sendVerdict->setObjectName(QStringLiteral("sendVerdict"));
    sendVerdict->setWordWrap(true);
    row->addWidget(sendButton);
    row->addWidget(sendVerdict, 1);
    layout->addLayout(row);
    compareList = makeList(
        page, "compareList",
        {QStringLiteral("Nr"), QStringLiteral("vorhergesagt"), QStringLiteral("empfangen")});
    layout->addWidget(compareList, 1);
    return page;
}

// ---- data -------------------------------------------------------------------

void SimulationWindow::dataChanged() {
    // A closed window simulates again when it is shown.
    if (isVisible()) {
        updateTimer_->start();
    }
}

void SimulationWindow::readSetup() {
    TableSettings settings;
    // As the image is built: the selector's item, and the pause unit as typed.
    settings.rowVariable = static_cast<std::uint8_t>(frx_.BselectItemIndex() + 1);
    const auto pause = parseNumber64(frx_.Pause1->text().trimmed().toStdString());
    settings.pauseUnit =
        static_cast<std::uint8_t>(std::clamp<std::int64_t>(pause.value_or(0), 0, 255));
    setup_ = sim::setupFromCells(frx_.confdata, frx_.tabcells, settings);
}

void SimulationWindow::refresh() {
    updateTimer_->stop();
    readSetup();
    list_ = parseTelegramList(telegramEdit->toPlainText().toStdString());
    telegramError->setText(qs(list_.error));
    telegramError->setVisible(!list_.error.empty());
    sim::simulate(setup_, list_.telegrams, results_);
    startSteps_.assign(results_.size(), 0);
    for (std::size_t i = 1; i < results_.size(); ++i) {
        startSteps_[i] = results_[i - 1].analogueSteps;
    }
    showResults();
    if (check_) {
        runCheck();
    }
    if (sweepShown_) {
        runSweep();
    }
}

// ---- telegrams ----------------------------------------------------------------

void SimulationWindow::showResults() {
    const int selected = selectedTelegram();
    const QSignalBlocker quiet(resultList);
    resultList->setRowCount(static_cast<int>(results_.size()));
    for (std::size_t i = 0; i < results_.size(); ++i) {
        const sim::TelegramResult& r = results_[i];
        const QString verdict = r.accepted ? QStringLiteral("Zeile %1").arg(r.line)
                                           : QStringLiteral("abgewiesen: ") + qs(r.reason);
        const QString analogue =
            QStringLiteral("%1 = %2 V").arg(r.analogueSteps).arg(r.analogueVolts, 0, 'f', 3);
        setRow(resultList, static_cast<int>(i),
               {payloadText(r.telegram.payload), QString::number(r.telegram.arrivalMs),
                verdict + (r.warnings.empty() ? QString() : QStringLiteral(" ⚠")),
                QString::number(r.bytes.size()), qs(sim::endName(r.end)), analogue});
    }
    const int keep = std::clamp(selected, 0, static_cast<int>(results_.size()) - 1);
    if (keep >= 0) {
        resultList->selectRow(keep);
    }
    showSelected();
}

int SimulationWindow::selectedTelegram() const {
    const QList<QTableWidgetSelectionRange> ranges = resultList->selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.front().topRow();
}

void SimulationWindow::selectTelegram(int index) {
    resultList->selectRow(index);
}

sim::CellMarks SimulationWindow::markedCells() const {
    const int selected = selectedTelegram();
    if (selected < 0 || selected >= static_cast<int>(results_.size())) {
        return {};
    }
    return sim::executedCells(setup_, results_[static_cast<std::size_t>(selected)]);
}

void SimulationWindow::showSelected() {
    const int selected = selectedTelegram();
    if (selected < 0 || selected >= static_cast<int>(results_.size())) {
        detailText->clear();
        byteList->setRowCount(0);
        timeline->clear();
        marks_->setMarks({});
        updateSendButton();
        return;
    }
    const auto index = static_cast<std::size_t>(selected);
    const sim::TelegramResult& r = results_[index];
    marks_->setMarks(isVisible() ? markedCells() : sim::CellMarks{});
    timeline->showResult(setup_, r, startSteps_[index]);

    QStringList text;
    const sim::Payload& p = r.telegram.payload;
    text << QStringLiteral("Telegramm %1 (%2 %3 %4), Ankunft %5 ms")
                .arg(payloadText(p), qs(sim::hexByte(p[0])), qs(sim::hexByte(p[1])),
                     qs(sim::hexByte(p[2])), QString::number(r.telegram.arrivalMs));
    if (!r.accepted) {
        text << QStringLiteral("nicht angenommen: ") + qs(r.reason);
    } else {
        text << QStringLiteral("angenommen, Zeile %1 (Zeilenvariable B%2)")
                    .arg(r.line)
                    .arg(sim::rowVariableIndex(setup_) + 1);
        QStringList hex;
        QStringList dec;
        for (const sim::OutputByte& b : r.bytes) {
            hex << qs(sim::hexByte(b.value));
            dec << QString::number(b.value);
        }
        text << QStringLiteral("%1 Bytes mit %2 Baud")
                    .arg(r.bytes.size())
                    .arg(sim::outputBaud(setup_.conf));
        text << QStringLiteral("Text: ") + readableText(r.bytes);
        text << QStringLiteral("Hex:  ") + hex.join(u' ');
        text << QStringLiteral("Dez:  ") + dec.join(u' ');
        if (!r.bytes.empty()) {
            text << QStringLiteral("erstes Byte ab %1 ms, Ausgabe zu Ende bei %2 ms")
                        .arg(ms(r.startMs.front()), ms(r.outputEndMs));
        }
        text << QStringLiteral("Pause nach dem letzten Byte: %1 ms").arg(r.trailingPauseMs);
    }
    text << QStringLiteral("Analogwert danach: %1 Schritte = %2 V (vorher %3)")
                .arg(r.analogueSteps)
                .arg(r.analogueVolts, 0, 'f', 3)
                .arg(startSteps_[index]);
    text << QStringLiteral("Ende: ") + endText(r);
    if (r.accepted) {
        QStringList path;
        for (const sim::CellRef& at : r.path) {
            path << QStringLiteral("%1:%2").arg(at.line).arg(at.cell);
        }
        text << QStringLiteral("Weg (Zeile:Zelle): ") + path.join(u' ');
    }
    if (!r.warnings.empty()) {
        text << QStringLiteral("Warnungen:");
        for (const std::string& warning : r.warnings) {
            text << QStringLiteral("  • ") + qs(warning);
        }
    }
    detailText->setPlainText(text.join(u'\n'));

    const int rows = std::min(static_cast<int>(r.bytes.size()), kByteRowsShown);
    byteList->setRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        const sim::OutputByte& b = r.bytes[static_cast<std::size_t>(i)];
        setRow(byteList, i,
               {QString::number(i + 1), ms(r.startMs[static_cast<std::size_t>(i)]),
                QString::number(b.pauseBeforeMs), qs(sim::hexByte(b.value)),
                QString::number(b.value), qs(sim::readableByte(b.value))});
    }
    updateSendButton();
}

// ---- check and sweep -----------------------------------------------------------

void SimulationWindow::runCheck() {
    check_ = sim::checkTable(setup_);
    showCheck();
}

void SimulationWindow::showCheck() {
    const std::vector<sim::CheckFinding>& findings = check_->findings;
    const auto problems = std::count_if(findings.begin(), findings.end(), [](const auto& f) {
        return f.severity != sim::Severity::information;
    });
    checkSummary->setText(findings.empty()
                              ? QStringLiteral("keine Befunde")
                              : QStringLiteral("%1 Befunde, davon %2 Warnungen oder Fehler")
                                    .arg(findings.size())
                                    .arg(problems));
    findingList->setRowCount(static_cast<int>(findings.size()));
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const sim::CheckFinding& f = findings[i];
        setRow(findingList, static_cast<int>(i),
               {qs(sim::severityName(f.severity)), QString::number(f.finding.at.line),
                QString::number(f.finding.at.cell), qs(sim::describe(f.finding)),
                valueRanges(f.rowValues)});
    }
}

void SimulationWindow::showFinding(int row) {
    if (!check_ || row < 0 || row >= static_cast<int>(check_->findings.size())) {
        return;
    }
    const sim::CellRef at = check_->findings[static_cast<std::size_t>(row)].finding.at;
    frx_.PPage->setCurrentWidget(frx_.Pstring);
    frx_.Tabwerte->setCurrentCell(at.line, at.cell);
    frx_.Tabwerte->scrollToItem(frx_.Tabwerte->item(at.line, at.cell),
                                QAbstractItemView::PositionAtCenter);
}

void SimulationWindow::runSweep() {
    sweepShown_ = true;
    const std::vector<sim::SweepRow> rows = sim::sweepRowValues(setup_);
    sweepList->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const sim::SweepRow& row = rows[i];
        QStringList warnings;
        for (const std::string& warning : row.warnings) {
            warnings << qs(warning);
        }
        setRow(sweepList, static_cast<int>(i),
               {QString::number(row.rowValue), QString::number(row.byteCount), ms(row.totalMs),
                qs(sim::endName(row.end)), warnings.join(QStringLiteral("; "))});
    }
}

// ---- radio test telegram -------------------------------------------------------

void SimulationWindow::updateSendButton() {
    const int selected = selectedTelegram();
    sendButton->setEnabled(selected >= 0 && frx_.BTeststring->isEnabled() &&
                           !frx_.transfers().transferRunning());
}

void SimulationWindow::sendSelected() {
    refresh();
    const int selected = selectedTelegram();
    if (selected < 0 || !sendButton->isEnabled()) {
        return;
    }
    const sim::Payload payload = results_[static_cast<std::size_t>(selected)].telegram.payload;
    // What a receiver with this data sends for the telegram on its own.
    sim::SimulationState fresh;
    const sim::TelegramResult predicted = sim::simulateTelegram(setup_, {payload, 0.0}, fresh);
    predicted_.clear();
    for (const sim::OutputByte& b : predicted.bytes) {
        predicted_.push_back(b.value);
    }
    sent_ = payload;
    // The test panel's fields carry the telegram, as if typed there.
    for (int n = 1; n <= 3; ++n) {
        frx_.TD[static_cast<std::size_t>(n - 1)]->setText(
            QString::number(payload[static_cast<std::size_t>(n - 1)]));
        frx_.TDExit(n);
    }
    frx_.BTeststringClick();
    showComparison();
    updateSendButton();
}

void SimulationWindow::showComparison() {
    if (!sent_) {
        return;
    }
    std::vector<int> received;
    for (const QString& line : frx_.TM->toPlainText().split(u'\n', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = line.trimmed().toInt(&ok);
        if (ok) {
            received.push_back(value);
        }
    }
    const std::size_t rows = std::max(received.size(), predicted_.size());
    compareList->setRowCount(static_cast<int>(rows));
    std::optional<std::size_t> firstDifference;
    for (std::size_t i = 0; i < rows; ++i) {
        const auto show = [](std::optional<int> value) {
            return value ? QStringLiteral("%1  %2  %3")
                               .arg(*value, 3)
                               .arg(qs(sim::hexByte(static_cast<std::uint8_t>(*value))),
                                    qs(sim::readableByte(static_cast<std::uint8_t>(*value))))
                         : QStringLiteral("—");
        };
        const std::optional<int> want =
            i < predicted_.size() ? std::optional<int>(predicted_[i]) : std::nullopt;
        const std::optional<int> got =
            i < received.size() ? std::optional<int>(received[i]) : std::nullopt;
        setRow(compareList, static_cast<int>(i), {QString::number(i + 1), show(want), show(got)});
        const bool differs = want != got;
        if (differs && !firstDifference) {
            firstDifference = i;
        }
        for (int column = 0; column < 3; ++column) {
            compareList->item(static_cast<int>(i), column)
                ->setBackground(differs ? QBrush(kDifference) : QBrush());
        }
    }
    QString verdict = QStringLiteral("Telegramm %1: vorhergesagt %2 Bytes, empfangen %3 Bytes")
                          .arg(payloadText(*sent_))
                          .arg(predicted_.size())
                          .arg(received.size());
    if (firstDifference) {
        verdict += QStringLiteral(" – Unterschied ab Byte %1").arg(*firstDifference + 1);
    } else {
        verdict += QStringLiteral(" – gleich");
    }
    sendVerdict->setText(verdict + QStringLiteral("\n") + frx_.info->text());
}

// ---- showing ---------------------------------------------------------------------

void SimulationWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    sendStateTimer_->start();
    refresh();
}

void SimulationWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    sendStateTimer_->stop();
    // The frames belong to the window: closed, the grid shows none.
    marks_->setMarks({});
}

}  // namespace tovrix
