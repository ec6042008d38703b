// What the keyboard and the mouse wheel reach: controls that cannot be seen
// leave the focus order, and a wheel turned over a selector that does not
// have the focus scrolls the page instead of changing the setting.
#include "app/tfrx.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QScrollArea>
#include <QTableWidget>
#include <QWheelEvent>

namespace tovrix {

namespace {

// A selector takes the wheel only while it has the focus; otherwise the
// wheel goes to the view, which scrolls the page where it can.
class WheelOnlyWhenFocused : public QObject {
  public:
    WheelOnlyWhenFocused(QWidget* view, QObject* parent) : QObject(parent), view_(view) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) {
            return QObject::eventFilter(watched, event);
        }
        auto* control = static_cast<QWidget*>(watched);
        const QWidget* focus = control->window()->focusWidget();
        if (control->hasFocus() || (focus != nullptr && control->isAncestorOf(focus))) {
            return false;
        }
        QCoreApplication::sendEvent(view_, event);
        return true;
    }

  private:
    QWidget* view_;
};

// In the grid Tab moves from cell to cell and would wrap round for ever;
// from the last cell Tab goes on to the next control, and Shift+Tab from
// the first cell to the one before.
class GridLeavesAtItsEnds : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return QObject::eventFilter(watched, event);
        }
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        auto* grid = static_cast<QTableWidget*>(watched);
        const bool backward =
            key == Qt::Key_Backtab ||
            (key == Qt::Key_Tab && (keyEvent->modifiers() & Qt::ShiftModifier) != 0);
        const bool forward = key == Qt::Key_Tab && !backward;
        const bool atEnd = forward ? grid->currentRow() == grid->rowCount() - 1 &&
                                         grid->currentColumn() == grid->columnCount() - 1
                                   : grid->currentRow() <= 0 && grid->currentColumn() <= 0;
        if ((!forward && !backward) || !atEnd) {
            return QObject::eventFilter(watched, event);
        }
        QWidget* next = forward ? grid->nextInFocusChain() : grid->previousInFocusChain();
        while (next != grid && (!next->isVisible() || !next->isEnabled() ||
                                (next->focusPolicy() & Qt::TabFocus) == 0)) {
            next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
        }
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
};

}  // namespace

void TFRX::keepControlsInReach() {
    // The test panel and the service memos lie right of the client area
    // that the window shows; typing into them would go nowhere visible.
    const QRect shown = client->rect();
    for (QWidget* control : client->findChildren<QWidget*>()) {
        const QRect place(control->mapTo(client, QPoint(0, 0)), control->size());
        if (!shown.intersects(place)) {
            control->setFocusPolicy(Qt::NoFocus);
        }
    }
    Tabwerte->installEventFilter(new GridLeavesAtItsEnds(this));
    auto* wheel = new WheelOnlyWhenFocused(clientView->viewport(), this);
    for (QComboBox* selector : client->findChildren<QComboBox*>()) {
        // A wheel turn no longer gives the focus either: it would change the
        // setting at the next notch.
        selector->setFocusPolicy(Qt::StrongFocus);
        selector->installEventFilter(wheel);
    }
}

}  // namespace tovrix
