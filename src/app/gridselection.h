#pragma once

class QModelIndex;
class QPainter;
class QStyleOptionViewItem;

namespace tovrix {

// Marks a selected block of the grid over the cells as drawn, so the cell
// colours stay as they are: a frame around the block and a light veil over
// it. A single selected cell is the current cell, which has a frame of its
// own, and gets nothing more.
void paintSelectionOverlay(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index);

}  // namespace tovrix
