#pragma once

class QWidget;

namespace tovrix {

// Moves a fixed-size window so that its client area sits in the middle of
// the primary screen's free area. Qt keeps an explicitly moved window where
// it was put, so a later move to a stored position still wins.
void centreOnDesktop(QWidget* window);

}  // namespace tovrix
