#include "app/finddialog.h"

#include "table/gridedit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tovrix {

namespace {

// Item order of the kind selector.
constexpr FindKind kKinds[] = {FindKind::Value, FindKind::Function, FindKind::JumpsTo};

}  // namespace

QString placeDescription(const CellPlace& place, const TableSheet& sheet) {
    QString shown = QString::fromStdString(sheet.text(place.line, place.column));
    // A jump is named with the line it goes to.
    if (place.column < kLastCellColumn) {
        const JumpOperand operand = jumpOperand(sheet.cells, place.line, place.column);
        if (operand.present) {
            shown += QStringLiteral(" %1").arg(operand.target);
        }
    }
    return QStringLiteral("Zeile %1, D%2: %3").arg(place.line).arg(place.column).arg(shown);
}

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Suchen"));
    setWindowTitle(QStringLiteral("Suchen in der Ausgabetabelle"));

    kind = new QComboBox(this);
    kind->setObjectName(QStringLiteral("SuchenArt"));
    kind->addItems({QStringLiteral("Wert (12, $1F)"), QStringLiteral("Funktion (GOTO, B2, P …)"),
                    QStringLiteral("Sprünge auf Zeile")});
    text = new QLineEdit(this);
    text->setObjectName(QStringLiteral("SuchenText"));

    auto* form = new QFormLayout;
    auto* kindLabel = new QLabel(QStringLiteral("&Suchen nach:"), this);
    kindLabel->setBuddy(kind);
    auto* textLabel = new QLabel(QStringLiteral("&Text:"), this);
    textLabel->setBuddy(text);
    form->addRow(kindLabel, kind);
    form->addRow(textLabel, text);

    next = new QPushButton(QStringLiteral("&Weiter (F3)"), this);
    next->setObjectName(QStringLiteral("SuchenWeiter"));
    next->setDefault(true);
    previous = new QPushButton(QStringLiteral("&Zurück (Umschalt+F3)"), this);
    previous->setObjectName(QStringLiteral("SuchenZurueck"));
    all = new QPushButton(QStringLiteral("&Alle Fundstellen"), this);
    all->setObjectName(QStringLiteral("SuchenAlle"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(next);
    buttons->addWidget(previous);
    buttons->addWidget(all);

    result = new QLabel(this);
    result->setObjectName(QStringLiteral("SuchenErgebnis"));
    places = new QListWidget(this);
    places->setObjectName(QStringLiteral("SuchenListe"));
    places->setMinimumHeight(160);
    auto* listLabel = new QLabel(QStringLiteral("&Fundstellen:"), this);
    listLabel->setBuddy(places);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(result);
    layout->addWidget(listLabel);
    layout->addWidget(places);

    connect(next, &QPushButton::clicked, this, [this] { emit findRequested(true); });
    connect(previous, &QPushButton::clicked, this, [this] { emit findRequested(false); });
    connect(all, &QPushButton::clicked, this, &FindDialog::listRequested);
    auto* forward = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(forward, &QShortcut::activated, this, [this] { emit findRequested(true); });
    auto* backward = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(backward, &QShortcut::activated, this, [this] { emit findRequested(false); });
    // Return and a click both go to the place.
    connect(places, &QListWidget::itemActivated, this, [this] {
        const int row = places->currentRow();
        if (row >= 0 && row < static_cast<int>(listed_.size())) {
            emit placeChosen(listed_[static_cast<std::size_t>(row)]);
        }
    });
    connect(places, &QListWidget::itemClicked, places, &QListWidget::itemActivated);
}

std::optional<FindQuery> FindDialog::query() const {
    const int index = kind->currentIndex();
    if (index < 0 || index >= static_cast<int>(std::size(kKinds))) {
        return std::nullopt;
    }
    return parseFindQuery(kKinds[index], text->text().toStdString());
}

void FindDialog::showPlaces(const std::vector<CellPlace>& found, const TableSheet& sheet) {
    listed_ = found;
    places->clear();
    for (const CellPlace& place : found) {
        places->addItem(placeDescription(place, sheet));
    }
}

void FindDialog::showResult(const QString& text) {
    result->setText(text);
}

}  // namespace tovrix
