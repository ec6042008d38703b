#include "app/gridselection.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QStyleOptionViewItem>

namespace tovrix {

namespace {

const QColor kFrame(0, 84, 204);
const QColor kVeil(0, 84, 204, 40);
constexpr int kFrameWidth = 2;

}  // namespace

void paintSelectionOverlay(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) {
    if (!option.state.testFlag(QStyle::State_Selected)) {
        return;
    }
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (view == nullptr || view->selectionModel() == nullptr) {
        return;
    }
    const QItemSelectionModel* selection = view->selectionModel();
    const auto selected = [&](int rowStep, int columnStep) {
        const QModelIndex neighbour =
            index.sibling(index.row() + rowStep, index.column() + columnStep);
        return neighbour.isValid() && selection->isSelected(neighbour);
    };
    const bool above = selected(-1, 0);
    const bool below = selected(1, 0);
    const bool left = selected(0, -1);
    const bool right = selected(0, 1);
    if (!above && !below && !left && !right) {
        return;
    }
    const QRect rect = option.rect;
    painter->save();
    painter->fillRect(rect, kVeil);
    if (!above) {
        painter->fillRect(rect.left(), rect.top(), rect.width(), kFrameWidth, kFrame);
    }
    if (!below) {
        painter->fillRect(rect.left(), rect.bottom() - kFrameWidth + 1, rect.width(), kFrameWidth,
                          kFrame);
    }
    if (!left) {
        painter->fillRect(rect.left(), rect.top(), kFrameWidth, rect.height(), kFrame);
    }
    if (!right) {
        painter->fillRect(rect.right() - kFrameWidth + 1, rect.top(), kFrameWidth, rect.height(),
                          kFrame);
    }
    painter->restore();
}

}  // namespace tovrix
