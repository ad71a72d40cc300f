#include "ui/rules/window_placement.h"

#include <algorithm>

namespace ondrel {

bool IsPlacementComplete(const WindowPlacement& placement) {
    return placement.left != PLACEMENT_UNSET && placement.right != PLACEMENT_UNSET &&
           placement.top != PLACEMENT_UNSET && placement.bottom != PLACEMENT_UNSET;
}

bool ShouldApplyPlacement(const WindowPlacement& placement, std::span<const Rect> screens) {
    if (!IsPlacementComplete(placement)) {
        return false;
    }
    const Rect window{placement.left, placement.top, placement.right, placement.bottom};
    if (window.IsEmpty()) {
        return false;
    }
    return std::any_of(screens.begin(), screens.end(), [&](const Rect& screen) {
        return std::max(window.left, screen.left) < std::min(window.right, screen.right) &&
               std::max(window.top, screen.top) < std::min(window.bottom, screen.bottom);
    });
}

}  // namespace ondrel
