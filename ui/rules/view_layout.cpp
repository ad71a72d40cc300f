#include "ui/rules/view_layout.h"

#include <algorithm>

namespace ondrel {

Rect ViewsRectForClient(int clientWidth, int clientHeight) {
    const int width = std::max(0, clientWidth - kViewsWidthMargin);
    const int height = std::max(0, clientHeight - kViewsHeightMargin);
    return Rect{kViewsLeft, kViewsTop, kViewsLeft + width, kViewsTop + height};
}

}  // namespace ondrel
