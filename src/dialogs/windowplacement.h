#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

class QWidget;

namespace tovrix {

// Moves a fixed-size window so that its client area sits in the middle of
// the primary screen's free area. Qt keeps an explicitly moved window where
// it was put, so a later move to a stored position still wins.
void centreOnDesktop(QWidget* window);

// Whether a window whose title area (the strip along the top of its frame,
// by which it is dragged) lies at titleArea could be reached there: on one
// of the screens' free areas lies the title area's full height over at least
// kGrabWidth pixels (the whole width for a narrower window).
inline constexpr int kGrabWidth = 100;
bool titleAreaReachable(const QRect& titleArea, const QList<QRect>& availableScreens);

// Moves a window to a position kept from an earlier run (its frame's top
// left corner), unless its title area would lie off every screen there; then
// the window stays where the system placed it. Tells whether it moved.
bool moveToStoredPosition(QWidget* window, const QPoint& topLeft);

}  // namespace tovrix
