#pragma once

#include "table/cells.h"

#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>

class QLineEdit;

namespace tovrix {

// Draws the output-table grid's cells in the colours of their kind and hands
// the cell editor's events to the window: every change of the edit text,
// the end of an edit (committed or abandoned). The table coordinates passed
// on are those of the grid as the user sees it: column 0 holds the line
// numbers, row 1 is line 0 (row 0 is the header).
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using CellHandler = std::function<void(int column, int row)>;
    using EditTextHandler = std::function<void(int column, int row, const QString& text)>;

    GridDelegate(const TabCells& cells, QObject* parent);

    // An editor opens on a cell; its text changes; its text reaches the
    // grid; it closes without that (Escape).
    void setEditStartHandler(CellHandler handler) { onEditStart_ = std::move(handler); }
    void setEditTextHandler(EditTextHandler handler) { onEditText_ = std::move(handler); }
    void setEditDoneHandler(CellHandler handler) { onEditDone_ = std::move(handler); }
    void setEditAbandonHandler(CellHandler handler) { onEditAbandon_ = std::move(handler); }

    // Takes the text of an open editor into the grid and closes it, or
    // closes it leaving the grid's text as it was.
    void commitOpenEditor();
    void discardOpenEditor();

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

  private:
    // One cell in table coordinates (row 0 is the header row).
    void TabwerteDrawCell(QPainter* painter, int column, int row, const QRect& rect,
                          const QString& text, bool current) const;

    const TabCells& cells_;
    CellHandler onEditStart_;
    EditTextHandler onEditText_;
    CellHandler onEditDone_;
    CellHandler onEditAbandon_;
    // The one editor the grid can have open, and the cell it edits.
    mutable QPointer<QLineEdit> editor_;
    mutable QPersistentModelIndex editing_;
    mutable bool committed_ = true;  // the open editor's text reached the grid
};

// The grid's fixed header row, drawn in the grey of fixed cells: the corner
// in maroon (it lies under the row-variable selector), the cell columns
// "D1".."D16" in navy.
class GridHeader : public QHeaderView {
    Q_OBJECT

  public:
    explicit GridHeader(QWidget* parent);

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

// Colours and font as the grid paints them, for a cell in table coordinates.
struct GridCellLook {
    QColor background;
    QColor text;
    QString fontFamily;
};
GridCellLook gridCellLook(const TabCells& cells, int column, int row);

}  // namespace tovrix
