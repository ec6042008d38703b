#include "app/griddelegate.h"

#include "app/gridselection.h"
#include "table/gridedit.h"
#include "widgetkit/widgetkit.h"

#include <QLineEdit>
#include <QPainter>

namespace tovrix {

namespace {

constexpr int kGridFontPixels = 15;

QColor toColour(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

GridCellLook lookOf(CellKind kind) {
    const CellColours colours = cellColours(kind);
    return {toColour(colours.background), toColour(colours.text),
            QString::fromLatin1(cellFontName(kind).data(),
                                static_cast<qsizetype>(cellFontName(kind).size()))};
}

// Text centred on one line at the top of the cell, clipped to it.
void drawCellText(QPainter* painter, const QRect& rect, const QString& text) {
    painter->drawText(rect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

GridCellLook gridCellLook(const TabCells& cells, int column, int row) {
    if (row == 0) {
        return lookOf(column == 0 ? CellKind::HeaderCorner : CellKind::Header);
    }
    if (column == 0) {
        return lookOf(CellKind::LineNumber);
    }
    return lookOf(cellKind(cells, row - 1, column));
}

GridDelegate::GridDelegate(const TabCells& cells, QObject* parent)
    : QStyledItemDelegate(parent), cells_(cells) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    TabwerteDrawCell(painter, index.column(), index.row() + 1, option.rect,
                     index.data(Qt::DisplayRole).toString(),
                     option.state.testFlag(QStyle::State_HasFocus));
    paintSelectionOverlay(painter, option, index);
}

void GridDelegate::TabwerteDrawCell(QPainter* painter, int column, int row, const QRect& rect,
                                    const QString& text, bool current) const {
    // Only what the model holds is drawn: texts are made canonical when an
    // edit ends or an image is restored, never here.
    const GridCellLook look = gridCellLook(cells_, column, row);
    painter->save();
    painter->fillRect(rect, look.background);
    painter->setFont(pixelFont(look.fontFamily, kGridFontPixels, true));
    painter->setPen(look.text);
    drawCellText(painter, rect, text);
    // The current cell keeps its colours and gets a dotted frame.
    if (current) {
        painter->setPen(QPen(look.text, 1, Qt::DotLine));
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("TabwerteEditor"));
    editor->setFrame(false);
    editor->setFont(pixelFont(QStringLiteral("Courier New"), kGridFontPixels, true));
    editor->setAlignment(Qt::AlignHCenter);
    const int column = index.column();
    const int row = index.row() + 1;
    // textEdited: only what the user types, not the text the editor opens with.
    connect(editor, &QLineEdit::textEdited, this, [this, column, row](const QString& text) {
        if (onEditText_) {
            onEditText_(column, row, text);
        }
    });
    editor_ = editor;
    editing_ = index;
    committed_ = false;
    if (onEditStart_) {
        onEditStart_(column, row);
    }
    return editor;
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    QStyledItemDelegate::setModelData(editor, model, index);
    committed_ = true;
    if (onEditDone_) {
        onEditDone_(index.column(), index.row() + 1);
    }
}

void GridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    const QPersistentModelIndex abandoned = committed_ ? QPersistentModelIndex() : editing_;
    editor_ = nullptr;
    editing_ = QPersistentModelIndex();
    committed_ = true;
    QStyledItemDelegate::destroyEditor(editor, index);
    if (abandoned.isValid() && onEditAbandon_) {
        onEditAbandon_(abandoned.column(), abandoned.row() + 1);
    }
}

void GridDelegate::commitOpenEditor() {
    if (QLineEdit* editor = editor_) {
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void GridDelegate::discardOpenEditor() {
    if (QLineEdit* editor = editor_) {
        emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
}

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    static const TabCells kNoCells{};
    const GridCellLook look = gridCellLook(kNoCells, logicalIndex, 0);
    painter->save();
    painter->fillRect(rect, look.background);
    // Raised edge of a fixed cell, and the grid line on its right and bottom.
    painter->setPen(Qt::white);
    painter->drawLine(rect.topLeft(), rect.topRight());
    painter->drawLine(rect.topLeft(), rect.bottomLeft());
    painter->setPen(QColor(128, 128, 128));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setFont(pixelFont(look.fontFamily, kGridFontPixels, true));
    painter->setPen(look.text);
    drawCellText(painter, rect.adjusted(0, 1, 0, 0),
                 model()->headerData(logicalIndex, orientation()).toString());
    painter->restore();
}

}  // namespace tovrix
