#include "geometry/Viewport.h"

#include <algorithm>

namespace zelmor {

Viewport Viewport::resized(int width, int height) const {
    if (width < 0 || height < 0) {
        return *this;
    }
    // Mesa keeps the sizes as floats and reads them back rounded; every size up to the limit is
    // a whole float, so the clamp alone decides what comes back.
    Viewport next;
    next.width_ = std::min(width, MAX_SIZE);
    next.height_ = std::min(height, MAX_SIZE);
    return next;
}

}  // namespace zelmor
