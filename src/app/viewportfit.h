#pragma once

#include <QSize>

namespace tovrix {

// The size of a scrolling view that shows content of the given size in the
// room a screen leaves for it: the content's own size when it fits;
// otherwise as much as fits, with a scroll bar of the given extent along
// each side that is cut. A scroll bar takes room from the other side, which
// may then need a scroll bar of its own.
QSize fittedViewport(QSize content, QSize room, int scrollBarExtent);

}  // namespace tovrix
