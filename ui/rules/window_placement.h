#pragma once

// The window's remembered placement: the four edges of its outer rectangle, in screen pixels,
// written at every teardown and read at every initialisation.

#include <span>

#include "base/geometry.h"

namespace ondrel {

// What a value that was never written reads as.
inline constexpr int PLACEMENT_UNSET = -99999;

struct WindowPlacement {
    int left = PLACEMENT_UNSET;
    int right = PLACEMENT_UNSET;
    int top = PLACEMENT_UNSET;
    int bottom = PLACEMENT_UNSET;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// True only when none of the four values is PLACEMENT_UNSET.
bool IsPlacementComplete(const WindowPlacement& placement);

// Whether the window may be moved to the placement: it is complete, it has a size, and it
// overlaps at least one of the screens. A rectangle off every screen (a monitor that is gone,
// the parking place of a minimized window) would leave the window where nobody can reach it.
bool ShouldApplyPlacement(const WindowPlacement& placement, std::span<const Rect> screens);

}  // namespace ondrel
