// The output-table page's handlers: grid set-up and editing, row-variable
// selector, pause unit and test value, and the image glue.
#include "app/griddelegate.h"
#include "app/numericedit.h"
#include "app/tableeditor.h"
#include "app/tfrx.h"
#include "config/numbers.h"
#include "table/gridedit.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>

namespace tovrix {

namespace {

QString text(int width, std::int64_t number) {
    return QString::fromStdString(setString(width, number));
}

// A combo box takes Return in its text as choosing the item of the same
// text. The row-variable selector's typed text names no item, whatever it
// reads, so the key goes no further.
class KeepTypedText : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

bool isTableCell(int column, int row) {
    return column >= kFirstCellColumn && column <= kLastCellColumn && row >= 1 &&
           row <= kTableLines;
}

}  // namespace

void TFRX::connectTablePage() {
    gridDelegate_->setEditStartHandler(
        [this](int column, int row) { TabwerteEditStart(column, row); });
    gridDelegate_->setEditTextHandler([this](int column, int row, const QString& typed) {
        TabwerteSetEditText(column, row, typed);
    });
    gridDelegate_->setEditDoneHandler(
        [this](int column, int row) { TabwerteEditDone(column, row); });
    gridDelegate_->setEditAbandonHandler(
        [this](int column, int row) { TabwerteEditAbandon(column, row); });
    connect(Tabwerte, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { TabwerteSelectCell(column, row + 1); });

    connect(Bselect, &QComboBox::activated, this, &TFRX::BselectChange);
    connect(Bselect->lineEdit(), &QLineEdit::textEdited, this, &TFRX::BselectTyped);
    Bselect->lineEdit()->installEventFilter(new KeepTypedText(Bselect));

    const auto wire = [this](NumericEdit* edit, void (TFRX::*exit)()) {
        connectNumericEntry(edit, this, [this, exit] { (this->*exit)(); });
    };
    wire(Pause1, &TFRX::Pause1Exit);
    wire(TestFeld, &TFRX::TestFeldExit);
    // The pause unit and the test value travel in the table image.
    for (NumericEdit* edit : {Pause1, TestFeld}) {
        connect(edit, &QLineEdit::textEdited, this, &TFRX::markTableModified);
    }
    tableEditor = new TableEditor(*this);
}

// ---- grid texts -------------------------------------------------------------

QString TFRX::gridText(int column, int row) const {
    if (row == 0) {
        return Tabwerte->horizontalHeaderItem(column)->text();
    }
    return Tabwerte->item(row - 1, column)->text();
}

void TFRX::setGridText(int column, int row, const QString& cellText) {
    if (row == 0) {
        Tabwerte->horizontalHeaderItem(column)->setText(cellText);
        return;
    }
    QTableWidgetItem* item = Tabwerte->item(row - 1, column);
    if (item->text() != cellText) {
        item->setText(cellText);
    }
}

void TFRX::setuptable() {
    gridDelegate_->discardOpenEditor();
    resetTable(tabcells);
    for (int row = 1; row <= kTableLines; ++row) {
        setGridText(0, row, text(6, row - 1));
        for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
            writecell(column, row);
        }
    }
    Tabwerte->setCurrentCell(0, 0);
    TabwerteSelectCell(0, 1);
    tableEditor->tableReplaced();
}

void TFRX::writecell(int column, int row) {
    const TabCell& cell =
        tabcells[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
    setGridText(column, row, QString::fromStdString(initialCellText(cell)));
}

// ---- editing ------------------------------------------------------------------

void TFRX::TabwerteEditStart(int column, int row) {
    cellEdit_.reset();
    lineBeforeEdit_.reset();
    if (isTableCell(column, row)) {
        cellEdit_.emplace(tabcells, row - 1, column);
        lineBeforeEdit_ = tabcells[static_cast<std::size_t>(row - 1)];
    }
}

void TFRX::TabwerteSetEditText(int column, int row, const QString& typed) {
    if (!isTableCell(column, row)) {
        return;
    }
    applyEditText(tabcells, row - 1, column, typed.toStdString());
    emit dataEdited();
    // The kind of the next cell may have changed with it: redraw the line.
    Tabwerte->viewport()->update();
}

void TFRX::TabwerteEditDone(int column, int row) {
    if (!isTableCell(column, row)) {
        return;
    }
    const std::vector<int> columns =
        cellEdit_ ? cellEdit_->columnsToNormalise(tabcells) : std::vector<int>{column};
    cellEdit_.reset();
    for (const int changed : columns) {
        normaliseGridCell(changed, row);
    }
    if (lineBeforeEdit_ != tabcells[static_cast<std::size_t>(row - 1)]) {
        markTableModified();
    }
    lineBeforeEdit_.reset();
    Tabwerte->viewport()->update();
    tableEditor->tableChanged();
}

void TFRX::TabwerteEditAbandon(int column, int row) {
    if (!isTableCell(column, row)) {
        return;
    }
    if (cellEdit_) {
        cellEdit_->cancel(tabcells);
        cellEdit_.reset();
        emit dataEdited();
    }
    Tabwerte->viewport()->update();
}

void TFRX::normaliseGridCell(int column, int row) {
    const NormalisedCell result =
        normaliseCell(tabcells, row - 1, column, gridText(column, row).toStdString());
    if (result.changed) {
        setGridText(column, row, QString::fromStdString(result.text));
    }
}

void TFRX::TabwerteSelectCell(int column, int /*row*/) {
    // Line numbers are never edited; every cell column is.
    Tabwerte->setEditTriggers(
        column == 0 ? QAbstractItemView::NoEditTriggers
                    : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                          QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    Tabwerte->viewport()->unsetCursor();
    Tabwerte->viewport()->update();
}

// ---- row variable, pause unit, test value -------------------------------------

int TFRX::BselectItemIndex() const {
    return Bselect->currentIndex();
}

void TFRX::BselectChange() {
    const std::uint8_t before = confdata[conf::kRowVariable];
    confdata[conf::kRowVariable] = static_cast<std::uint8_t>(BselectItemIndex() + 1);
    showdata();
    if (confdata[conf::kRowVariable] != before) {
        markTableModified();
    }
    tableEditor->tableChanged();
}

void TFRX::BselectTyped() {
    // A typed text names no item, whatever it reads; keep the text as typed.
    QLineEdit* edit = Bselect->lineEdit();
    const QString typed = edit->text();
    const int cursor = edit->cursorPosition();
    Bselect->setCurrentIndex(-1);
    edit->setText(typed);
    edit->setCursorPosition(cursor);
    BselectChange();
}

void TFRX::Pause1Exit() {
    Pause1->setText(text(3, checkin(Pause1->text().toStdString(), 255)));
    tableEditor->tableChanged();
}

void TFRX::TestFeldExit() {
    TestFeld->setText(text(3, checkin(TestFeld->text().toStdString(), 255)));
    tableEditor->tableChanged();
}

// ---- image glue -----------------------------------------------------------------

void TFRX::Build64K() {
    // A cell still being edited counts with the text it shows.
    gridDelegate_->commitOpenEditor();
    TableSettings settings;
    settings.testValue = static_cast<std::uint8_t>(checkin(TestFeld->text().toStdString(), 255));
    settings.rowVariable = static_cast<std::uint8_t>(BselectItemIndex() + 1);
    settings.pauseUnit = static_cast<std::uint8_t>(checkin(Pause1->text().toStdString(), 255));
    tabdata = encodeImage(tabcells, settings);
}

void TFRX::Restore64K(bool& ok) {
    // An open editor would write its stale text over the restored cell.
    gridDelegate_->discardOpenEditor();
    const DecodedImage decoded = decodeImage(tabdata);
    tabcells = decoded.cells;
    for (int row = 1; row <= kTableLines; ++row) {
        const TabLine& line = tabcells[static_cast<std::size_t>(row - 1)];
        for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
            setGridText(column, row, text(3, line[static_cast<std::size_t>(column - 1)].value));
        }
    }
    ok = decoded.checksumOk;
    TestFeld->setText(text(3, decoded.settings.testValue));
    // Choosing the item here is not the user's choice: byte 16 stays.
    Bselect->setCurrentIndex(rowVariableItem(decoded.settings.rowVariable));
    Pause1->setText(text(3, decoded.settings.pauseUnit));
    for (int line = 1; line <= kTableLines; ++line) {
        for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
            normaliseGridCell(column, line);
        }
    }
    Tabwerte->viewport()->update();
    tableEditor->tableReplaced();
    emit dataEdited();
}

}  // namespace tovrix
