#include "app/viewportfit.h"

namespace tovrix {

QSize fittedViewport(QSize content, QSize room, int scrollBarExtent) {
    bool cutWidth = content.width() > room.width();
    bool cutHeight = content.height() > room.height();
    cutWidth = cutWidth || (cutHeight && content.width() + scrollBarExtent > room.width());
    cutHeight = cutHeight || (cutWidth && content.height() + scrollBarExtent > room.height());
    const QSize bars(cutHeight ? scrollBarExtent : 0, cutWidth ? scrollBarExtent : 0);
    return (content + bars).boundedTo(room);
}

}  // namespace tovrix
