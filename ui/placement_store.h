#pragma once

// The placement's storage: QSettings with organisation "Varnock software" and the application's
// name (an INI file under the user's configuration folder on Linux, the registry on Windows),
// group "SETTING", integers "left", "right", "top", "bottom".

#include "ui/rules/window_placement.h"

namespace ondrel {

// A value that is missing or not an integer reads as PLACEMENT_UNSET.
WindowPlacement ReadPlacement();
// Writes left, right, top and bottom, in that order. Failures are ignored.
void WritePlacement(const WindowPlacement& placement);

}  // namespace ondrel
