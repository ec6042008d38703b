#include "link/progress.h"

namespace tovrix {

int gaugePercent(std::int64_t position, std::int64_t divisor) {
    if (divisor < 1 || position < 0) {
        return 0;
    }
    const std::int64_t scaled = position * 100;
    std::int64_t quotient = scaled / divisor;
    const std::int64_t twiceRemainder = 2 * (scaled % divisor);
    if (twiceRemainder > divisor || (twiceRemainder == divisor && quotient % 2 != 0)) {
        ++quotient;
    }
    return static_cast<int>(quotient);
}

}  // namespace tovrix
