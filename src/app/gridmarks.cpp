#include "app/gridmarks.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

namespace tovrix {

namespace {

// A colour none of the cell kinds uses, strong on light and dark cells.
const QColor kMarkColour(230, 40, 160);

}  // namespace

GridMarks::GridMarks(QTableView* grid) : QWidget(grid), grid_(grid) {
    setObjectName(QStringLiteral("SimulationMarks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    grid->viewport()->installEventFilter(this);
    // Scrolling moves the cells under the layer, not the layer.
    for (QScrollBar* bar : {grid->verticalScrollBar(), grid->horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] { update(); });
    }
    followViewport();
    hide();
}

void GridMarks::setMarks(const sim::CellMarks& marks) {
    if (marks == marks_) {
        return;
    }
    marks_ = marks;
    setVisible(marks_.any());
    followViewport();
    update();
}

void GridMarks::followViewport() {
    if (!grid_) {
        return;
    }
    setGeometry(grid_->viewport()->geometry());
    raise();
}

bool GridMarks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
        followViewport();
    }
    return QWidget::eventFilter(watched, event);
}

void GridMarks::paintEvent(QPaintEvent*) {
    if (!grid_ || !grid_->model()) {
        return;
    }
    QPainter painter(this);
    painter.setPen(QPen(kMarkColour, 2));
    painter.setBrush(Qt::NoBrush);
    // Only the lines in view are looked at.
    const int first = std::max(0, grid_->rowAt(0));
    int last = grid_->rowAt(height() - 1);
    if (last < 0) {
        last = grid_->model()->rowCount() - 1;
    }
    for (int line = first; line <= last && line < kTableLines; ++line) {
        for (int cell = 1; cell <= kLineCells; ++cell) {
            if (!marks_.test(static_cast<std::size_t>(line * kLineCells + cell - 1))) {
                continue;
            }
            const QRect rect = grid_->visualRect(grid_->model()->index(line, cell));
            if (rect.isValid()) {
                painter.drawRect(rect.adjusted(1, 1, -2, -2));
            }
        }
    }
}

}  // namespace tovrix
