#include "dialogs/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tovrix {

namespace {

// Height of the title area while the window has no frame yet (before it is
// first shown, or on a platform without decorations): about a title bar.
constexpr int kAssumedTitleHeight = 24;

}  // namespace

void centreOnDesktop(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect area(QPoint(0, 0), window->size());
    area.moveCenter(screen->availableGeometry().center());
    window->move(area.topLeft());
}

bool titleAreaReachable(const QRect& titleArea, const QList<QRect>& availableScreens) {
    const int needed = std::min(kGrabWidth, titleArea.width());
    return std::any_of(availableScreens.begin(), availableScreens.end(), [&](const QRect& screen) {
        const QRect onScreen = titleArea.intersected(screen);
        return onScreen.height() == titleArea.height() && onScreen.width() >= needed;
    });
}

bool moveToStoredPosition(QWidget* window, const QPoint& topLeft) {
    const QRect frame = window->frameGeometry();
    const int titleHeight = window->geometry().top() - frame.top();
    const QRect titleArea(
        topLeft, QSize(frame.width(), titleHeight > 0 ? titleHeight : kAssumedTitleHeight));
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.append(screen->availableGeometry());
    }
    if (!titleAreaReachable(titleArea, screens)) {
        return false;
    }
    window->move(topLeft);
    return true;
}

}  // namespace tovrix
