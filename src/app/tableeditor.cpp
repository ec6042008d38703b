#include "app/tableeditor.h"

#include "app/finddialog.h"
#include "app/griddelegate.h"
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "config/beep.h"
#include "dialogs/fask.h"
#include "table/gridedit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>

namespace tovrix {

namespace {

constexpr int kLastGridColumn = kLastCellColumn;

QString placesText(const std::vector<CellPlace>& places) {
    QStringList named;
    for (const CellPlace& place : places) {
        named << QStringLiteral("Zeile %1 D%2").arg(place.line).arg(place.column);
    }
    return named.join(QStringLiteral(", "));
}

}  // namespace

TableEditor::TableEditor(TFRX& window) : QObject(&window), frx_(window) {
    QTableWidget* grid = frx_.Tabwerte;
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TableEditor::selectWholeLines);
    buildMenus();
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, &TableEditor::showContextMenu);
    connect(frx_.PPage, &QTabWidget::currentChanged, this, &TableEditor::updateActions);

    findDialog_ = new FindDialog(&frx_);
    connect(findDialog_, &FindDialog::findRequested, this, &TableEditor::findNext);
    connect(findDialog_, &FindDialog::listRequested, this, [this] {
        const auto query = findQuery();
        if (!query) {
            return;
        }
        const std::vector<CellPlace> places = findAll(frx_.tabcells, *query);
        findDialog_->showPlaces(places, state().sheet);
        findDialog_->showResult(QStringLiteral("%1 Fundstellen").arg(places.size()));
    });
    connect(findDialog_, &FindDialog::placeChosen, this, [this](CellPlace place) {
        selectBlock(CellBlock{place.line, place.line, place.column, place.column});
    });
}

TableEditor::~TableEditor() = default;

// ---- menus ------------------------------------------------------------------

QAction* TableEditor::addAction(const char* name, const QString& text, QList<QKeySequence> keys,
                                void (TableEditor::*slot)()) {
    auto* action = new QAction(text, &frx_);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    // The keys act on the table page only; in a text field they stay the
    // field's own.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    frx_.Pstring->addAction(action);
    if (slot != nullptr) {
        connect(action, &QAction::triggered, this, slot);
    }
    pageActions_ << action;
    return action;
}

void TableEditor::buildMenus() {
    menu_ = new QMenu(QStringLiteral("&Bearbeiten"), &frx_);
    menu_->setObjectName(QStringLiteral("MBearbeiten"));
    // Between "Datei" and "Kommunikation".
    frx_.menuBar()->insertMenu(frx_.MKommunikation->menuAction(), menu_);

    undo_ = addAction("MRueckgaengig", QStringLiteral("&Rückgängig"), {QKeySequence::Undo},
                      &TableEditor::undo);
    redo_ = addAction(
        "MWiederherstellen", QStringLiteral("&Wiederherstellen"),
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        &TableEditor::redo);
    QAction* cutAction = addAction("MAusschneiden", QStringLiteral("&Ausschneiden"),
                                   {QKeySequence::Cut}, &TableEditor::cut);
    QAction* copyAction = addAction("MKopieren", QStringLiteral("&Kopieren"), {QKeySequence::Copy},
                                    &TableEditor::copy);
    QAction* pasteAction = addAction("MEinfuegen", QStringLiteral("&Einfügen"),
                                     {QKeySequence::Paste}, &TableEditor::paste);
    QAction* clearAction = addAction("MInhaltLoeschen", QStringLiteral("Inhalt &löschen"),
                                     {QKeySequence(Qt::Key_Delete)}, &TableEditor::clearCells);
    QAction* allAction = addAction("MAllesMarkieren", QStringLiteral("Alles &markieren"),
                                   {QKeySequence(Qt::CTRL | Qt::Key_A)}, &TableEditor::selectAll);
    QAction* insertAction =
        addAction("MZeilenEinfuegen", QStringLiteral("&Zeilen einfügen"),
                  {QKeySequence(Qt::CTRL | Qt::Key_Plus)}, &TableEditor::insertLines);
    QAction* deleteAction =
        addAction("MZeilenLoeschen", QStringLiteral("Zeile&n löschen"),
                  {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &TableEditor::deleteLines);
    QAction* findAction = addAction("MSuchen", QStringLiteral("&Suchen…"), {QKeySequence::Find},
                                    &TableEditor::showFind);
    QAction* nextAction = addAction("MWeitersuchen", QStringLiteral("Nächste &Fundstelle"),
                                    {QKeySequence(Qt::Key_F3)}, nullptr);
    QAction* previousAction = addAction("MRueckwaertsSuchen", QStringLiteral("&Vorige Fundstelle"),
                                        {QKeySequence(Qt::SHIFT | Qt::Key_F3)}, nullptr);
    connect(nextAction, &QAction::triggered, this, [this] { findNext(true); });
    connect(previousAction, &QAction::triggered, this, [this] { findNext(false); });

    menu_->addActions({undo_, redo_});
    menu_->addSeparator();
    menu_->addActions({cutAction, copyAction, pasteAction, clearAction, allAction});
    menu_->addSeparator();
    menu_->addActions({insertAction, deleteAction});
    menu_->addSeparator();
    menu_->addActions({findAction, nextAction, previousAction});

    contextMenu_ = new QMenu(frx_.Tabwerte);
    contextMenu_->setObjectName(QStringLiteral("TabwerteKontextmenue"));
    contextMenu_->addActions({cutAction, copyAction, pasteAction, clearAction});
    contextMenu_->addSeparator();
    contextMenu_->addActions({insertAction, deleteAction});
    contextMenu_->addSeparator();
    contextMenu_->addActions({undo_, redo_});
    contextMenu_->addSeparator();
    contextMenu_->addAction(findAction);
    updateActions();
}

void TableEditor::showContextMenu(const QPoint& position) {
    QTableWidget* grid = frx_.Tabwerte;
    QModelIndex index = grid->indexAt(position);
    QPoint at = position;
    if (!index.isValid() || !grid->selectionModel()->isSelected(index)) {
        // A click outside the selection moves to that cell first, as in a
        // spreadsheet; without a cell (the menu key) the current cell counts.
        if (index.isValid()) {
            grid->setCurrentCell(index.row(), index.column());
        } else {
            at = grid->visualRect(grid->currentIndex()).center();
        }
    }
    contextMenu_->popup(grid->viewport()->mapToGlobal(at));
}

void TableEditor::updateActions() {
    const bool tablePage = frx_.PPage->currentWidget() == frx_.Pstring;
    for (QAction* action : pageActions_) {
        action->setEnabled(tablePage);
    }
    undo_->setEnabled(tablePage && history_.canUndo());
    redo_->setEnabled(tablePage && history_.canRedo());
}

// ---- selection ----------------------------------------------------------------

void TableEditor::selectWholeLines() {
    if (selecting_) {
        return;
    }
    // A line number stands for its whole line.
    QTableWidget* grid = frx_.Tabwerte;
    const QList<QTableWidgetSelectionRange> ranges = grid->selectedRanges();
    if (ranges.size() != 1 || ranges.front().leftColumn() != 0 ||
        ranges.front().rightColumn() == kLastGridColumn) {
        return;
    }
    const QAbstractItemModel* model = grid->model();
    selecting_ = true;
    grid->selectionModel()->select(
        QItemSelection(model->index(ranges.front().topRow(), 0),
                       model->index(ranges.front().bottomRow(), kLastGridColumn)),
        QItemSelectionModel::ClearAndSelect);
    selecting_ = false;
}

CellBlock TableEditor::selectedBlock() const {
    QTableWidget* grid = frx_.Tabwerte;
    const QList<QTableWidgetSelectionRange> ranges = grid->selectedRanges();
    CellBlock block;
    if (ranges.isEmpty()) {
        const int row = std::max(0, grid->currentRow());
        const int column = grid->currentColumn();
        block = CellBlock{row, row, column, column};
    } else {
        block = CellBlock{ranges.front().topRow(), ranges.front().bottomRow(),
                          ranges.front().leftColumn(), ranges.front().rightColumn()};
        for (const QTableWidgetSelectionRange& range : ranges) {
            block.firstLine = std::min(block.firstLine, range.topRow());
            block.lastLine = std::max(block.lastLine, range.bottomRow());
            block.firstColumn = std::min(block.firstColumn, range.leftColumn());
            block.lastColumn = std::max(block.lastColumn, range.rightColumn());
        }
    }
    // The line-number column stands for the whole line.
    if (block.firstColumn <= 0) {
        block.firstColumn = kFirstCellColumn;
        block.lastColumn = kLastCellColumn;
    }
    return block;
}

void TableEditor::selectBlock(const CellBlock& block) {
    QTableWidget* grid = frx_.Tabwerte;
    const QAbstractItemModel* model = grid->model();
    grid->setCurrentCell(block.firstLine, block.firstColumn);
    selecting_ = true;
    grid->selectionModel()->select(QItemSelection(model->index(block.firstLine, block.firstColumn),
                                                  model->index(block.lastLine, block.lastColumn)),
                                   QItemSelectionModel::ClearAndSelect);
    selecting_ = false;
    grid->scrollTo(model->index(block.firstLine, block.firstColumn));
}

void TableEditor::selectAll() {
    frx_.Tabwerte->selectAll();
}

// ---- state of the page ----------------------------------------------------------

TableState TableEditor::state() const {
    TableState now;
    now.sheet.cells = frx_.tabcells;
    for (int line = 0; line < kTableLines; ++line) {
        for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
            now.sheet.text(line, column) = frx_.gridText(column, line + 1).toStdString();
        }
    }
    now.settings.rowItem = frx_.Bselect->currentIndex();
    now.settings.rowText = frx_.Bselect->currentText().toStdString();
    now.settings.pauseText = frx_.Pause1->text().toStdString();
    now.settings.testText = frx_.TestFeld->text().toStdString();
    return now;
}

void TableEditor::changed(const TableState& now) {
    history_.record(now);
    updateActions();
    frx_.Tabwerte->viewport()->update();
}

void TableEditor::tableChanged() {
    if (applying_) {
        return;
    }
    changed(state());
}

void TableEditor::tableReplaced() {
    // A block marked in the table that was there means nothing in this one.
    frx_.Tabwerte->clearSelection();
    history_.reset(state());
    updateActions();
}

void TableEditor::show(const TableState& now, const TableState& before) {
    const TableChange change = diffStates(before, now);
    for (const CellChange& cell : change.cells) {
        frx_.tabcells[static_cast<std::size_t>(cell.line)]
                     [static_cast<std::size_t>(cell.column - 1)] = cell.after;
        frx_.setGridText(cell.column, cell.line + 1, QString::fromStdString(cell.afterText));
    }
    if (change.settingsAfter) {
        applySettings(*change.settingsAfter);
    }
    changed(now);
    editedHere();
}

void TableEditor::showStep(const TableChange& step) {
    const TableState& now = history_.current();
    for (const CellChange& cell : step.cells) {
        frx_.tabcells[static_cast<std::size_t>(cell.line)]
                     [static_cast<std::size_t>(cell.column - 1)] =
            now.sheet.cell(cell.line, cell.column);
        frx_.setGridText(cell.column, cell.line + 1,
                         QString::fromStdString(now.sheet.text(cell.line, cell.column)));
    }
    if (step.settingsBefore) {
        applySettings(now.settings);
    }
    // The user sees what went back (cells are listed from the top).
    if (!step.cells.empty()) {
        const CellChange& first = step.cells.front();
        frx_.Tabwerte->scrollTo(frx_.Tabwerte->model()->index(first.line, first.column));
    }
    changed(now);
    editedHere();
}

// A paste, cut, line move, undo or redo is an edit like a typed cell: the
// window counts the table as unsaved and the views that follow the data
// (the simulation) see it at once.
void TableEditor::editedHere() {
    frx_.markTableModified();
    emit frx_.dataEdited();
}

void TableEditor::applySettings(const PageSettings& settings) {
    frx_.Pause1->setText(QString::fromStdString(settings.pauseText));
    frx_.TestFeld->setText(QString::fromStdString(settings.testText));
    QComboBox* selector = frx_.Bselect;
    const bool rowChanged = selector->currentIndex() != settings.rowItem ||
                            selector->currentText().toStdString() != settings.rowText;
    if (rowChanged) {
        selector->setCurrentIndex(settings.rowItem);
        if (settings.rowItem < 0) {
            selector->lineEdit()->setText(QString::fromStdString(settings.rowText));
        }
        // Going back on a choice of the row variable goes back on what the
        // choice set in the configuration block as well; the step itself is
        // already in the history.
        applying_ = true;
        frx_.BselectChange();
        applying_ = false;
    }
}

void TableEditor::finishPendingEdit() {
    frx_.gridDelegate_->commitOpenEditor();
}

// ---- clipboard ------------------------------------------------------------------

void TableEditor::copy() {
    finishPendingEdit();
    const std::string text = blockText(state().sheet, selectedBlock());
    QApplication::clipboard()->setText(QString::fromStdString(text));
}

void TableEditor::cut() {
    copy();
    clearCells();
}

void TableEditor::clearCells() {
    finishPendingEdit();
    const TableState before = state();
    TableState now = before;
    clearBlock(now.sheet, selectedBlock());
    show(now, before);
}

void TableEditor::paste() {
    finishPendingEdit();
    const QString text = QApplication::clipboard()->text();
    QTableWidget* grid = frx_.Tabwerte;
    const int line = std::max(0, grid->currentRow());
    const int column = std::max(kFirstCellColumn, grid->currentColumn());
    const TableState before = state();
    TableState now = before;
    const PasteResult result = pasteBlockText(now.sheet, line, column, text.toStdString());
    if (result.cellsWritten == 0) {
        beep();
        notify(QStringLiteral("Die Zwischenablage enthält keine Zellen"), false);
        return;
    }
    show(now, before);
    selectBlock(result.written);
    if (result.linesCut > 0 || result.columnsCut > 0) {
        notify(
            QStringLiteral("Am Tabellenrand abgeschnitten: %1 Zeilen, %2 Spalten nicht eingefügt")
                .arg(result.linesCut)
                .arg(result.columnsCut),
            false);
    }
}

// ---- lines ----------------------------------------------------------------------

void TableEditor::insertLines() {
    finishPendingEdit();
    const CellBlock block = selectedBlock();
    const int count = block.lastLine - block.firstLine + 1;
    if (!linesEmpty(frx_.tabcells, kTableLines - count, kTableLines - 1)) {
        const QStringList question{
            QStringLiteral("!!!  Zeilen einfügen  !!!"),
            QStringLiteral("Zeile %1 .. 255 nicht leer: fällt weg - trotzdem einfügen ?")
                .arg(kTableLines - count)};
        if (!ask(question)) {
            return;
        }
    }
    moveLines(tovrix::insertLines, block.firstLine, count, block.lastLine, "weggefallene");
}

void TableEditor::deleteLines() {
    finishPendingEdit();
    const CellBlock block = selectedBlock();
    const int count = block.lastLine - block.firstLine + 1;
    moveLines(tovrix::deleteLines, block.firstLine, count, block.firstLine, "gelöschte");
}

void TableEditor::moveLines(LineMove move, int first, int count, int lastSelected,
                            const char* lostLines) {
    const TableState before = state();
    TableState now = before;
    const LineMoveResult result = move(now.sheet, first, count);
    show(now, before);
    selectBlock(CellBlock{first, lastSelected, 0, kLastGridColumn});
    if (result.danglingOperands.empty()) {
        return;
    }
    beep();
    notify(QStringLiteral("Sprungziel auf %1 Zeile, nicht geändert: %2")
               .arg(QString::fromUtf8(lostLines), placesText(result.danglingOperands)),
           true);
}

// ---- undo -----------------------------------------------------------------------

void TableEditor::undo() {
    finishPendingEdit();
    if (history_.canUndo()) {
        showStep(history_.undo());
    }
}

void TableEditor::redo() {
    finishPendingEdit();
    if (history_.canRedo()) {
        showStep(history_.redo());
    }
}

// ---- find -----------------------------------------------------------------------

void TableEditor::showFind() {
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
    findDialog_->text->setFocus();
    findDialog_->text->selectAll();
}

std::optional<FindQuery> TableEditor::findQuery() {
    auto query = findDialog_->query();
    if (!query) {
        beep();
        findDialog_->showResult(QStringLiteral("Suchtext nicht lesbar"));
    }
    return query;
}

void TableEditor::findNext(bool forward) {
    const auto query = findQuery();
    if (!query) {
        if (!findDialog_->isVisible()) {
            showFind();
        }
        return;
    }
    const std::vector<CellPlace> places = findAll(frx_.tabcells, *query);
    QTableWidget* grid = frx_.Tabwerte;
    const CellPlace from{std::max(0, grid->currentRow()), grid->currentColumn()};
    const std::optional<CellPlace> place = nextPlace(places, from, forward);
    if (!place) {
        beep();
        findDialog_->showResult(QStringLiteral("nicht gefunden"));
        return;
    }
    selectBlock(CellBlock{place->line, place->line, place->column, place->column});
    const auto position = std::lower_bound(places.begin(), places.end(), *place) - places.begin();
    findDialog_->showResult(
        QStringLiteral("Fundstelle %1 von %2").arg(position + 1).arg(places.size()));
}

// ---- questions ------------------------------------------------------------------

bool TableEditor::ask(const QStringList& lines) {
    if (question_) {
        return question_(lines);
    }
    if (frx_.Fask != nullptr) {
        return frx_.Fask->ask(lines);
    }
    return QMessageBox::question(&frx_, frx_.windowTitle(), lines.join(QLatin1Char('\n'))) ==
           QMessageBox::Yes;
}

void TableEditor::notify(const QString& text, bool warning) {
    if (notice_) {
        notice_(text, warning);
        return;
    }
    frx_.setInfoColour(warning ? QColor(255, 0, 0) : QColor(0, 0, 0));
    frx_.setInfo(text);
}

}  // namespace tovrix
