#pragma once

#include "table/edithistory.h"
#include "table/linemove.h"
#include "table/tablefind.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QPoint;

namespace tovrix {

class FindDialog;
class TFRX;

// Editing the output table as a whole: block selection, clipboard, undo and
// redo, inserting and deleting lines, finding. The table logic lives in the
// table library; this maps the menu "Bearbeiten", the grid's context menu,
// the keys and the grid's selection onto it and shows the results in the
// grid.
class TableEditor : public QObject {
    Q_OBJECT

  public:
    explicit TableEditor(TFRX& window);
    ~TableEditor() override;

    // The table changed by an edit of the page (a committed cell, the row
    // variable, the pause unit, the test value): one step of the history.
    void tableChanged();
    // The table was replaced as a whole (start-up, new, load, table read):
    // the history starts again and cannot go back past this point.
    void tableReplaced();

    // The actions, also reachable from the menu, the context menu and keys.
    void copy();
    void cut();
    void paste();
    void clearCells();
    void selectAll();
    void insertLines();
    void deleteLines();
    void undo();
    void redo();
    void showFind();
    void findNext(bool forward);

    // The cells the actions work on: the selected block within columns
    // 1..16, or the current cell.
    CellBlock selectedBlock() const;
    void selectBlock(const CellBlock& block);

    // What the table page holds now.
    TableState state() const;

    const EditHistory& history() const { return history_; }
    FindDialog* findDialog() const { return findDialog_; }

    // Questions and notices go through these, so tests can answer them.
    using Question = std::function<bool(const QStringList& lines)>;
    void setQuestion(Question question) { question_ = std::move(question); }
    using Notice = std::function<void(const QString& text, bool warning)>;
    void setNotice(Notice notice) { notice_ = std::move(notice); }

    QMenu* menu() const { return menu_; }
    QMenu* contextMenu() const { return contextMenu_; }

  private:
    QAction* addAction(const char* name, const QString& text, QList<QKeySequence> keys,
                       void (TableEditor::*slot)());
    void buildMenus();
    void showContextMenu(const QPoint& position);
    void selectWholeLines();
    void updateActions();

    // Every change of the table passes here, whatever made it (an edit, a
    // clipboard action, a line move, undo or redo): the one place to note
    // that the table differs from what was loaded or saved.
    void changed(const TableState& now);
    // What this editor changed itself marks the table as unsaved and tells
    // the views that follow the data.
    void editedHere();
    // Shows a state the table page should hold and makes it a history step.
    void show(const TableState& now, const TableState& before);
    void showStep(const TableChange& step);
    void applySettings(const PageSettings& settings);
    void finishPendingEdit();
    // Inserts or deletes lines as one step, selects the lines from first to
    // lastSelected and reports the jumps to lines that are gone.
    using LineMove = LineMoveResult (*)(TableSheet& sheet, int at, int count);
    void moveLines(LineMove move, int first, int count, int lastSelected, const char* lostLines);
    // What the find dialog asks for; a beep and a word in the dialog when
    // its text names nothing.
    std::optional<FindQuery> findQuery();
    bool ask(const QStringList& lines);
    void notify(const QString& text, bool warning);

    TFRX& frx_;
    EditHistory history_;
    QMenu* menu_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QList<QAction*> pageActions_;  // usable only while the table page is shown
    FindDialog* findDialog_ = nullptr;
    Question question_;
    Notice notice_;
    bool selecting_ = false;
    bool applying_ = false;  // undo or redo is setting the page's fields
};

}  // namespace tovrix
