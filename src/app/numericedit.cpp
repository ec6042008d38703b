#include "app/numericedit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tovrix {

NumericEdit::NumericEdit(QWidget* parent, const QString& name, int maxLength, const QString& text)
    : QLineEdit(text, parent) {
    setObjectName(name);
    setMaxLength(maxLength);
}

void NumericEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void NumericEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (selectAllOnFocus_) {
        selectAll();
    }
}

void NumericEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    switch (event->reason()) {
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
        case Qt::MenuBarFocusReason:
            return;
        default:
            emit exited();
    }
}

void NumericEdit::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !event->isAutoRepeat()) {
        emit enterReleased();
    }
}

void connectNumericEntry(NumericEdit* edit, QObject* receiver, std::function<void()> commit) {
    QObject::connect(edit, &NumericEdit::clicked, edit, &QLineEdit::selectAll);
    QObject::connect(edit, &NumericEdit::exited, receiver, commit);
    QObject::connect(edit, &NumericEdit::enterReleased, receiver, [edit, commit] {
        commit();
        edit->selectAll();
    });
}

}  // namespace tovrix
