#include "dialogs/windowplacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace tovrix {

void centreOnDesktop(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect area(QPoint(0, 0), window->size());
    area.moveCenter(screen->availableGeometry().center());
    window->move(area.topLeft());
}

}  // namespace tovrix
