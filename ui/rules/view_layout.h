#pragma once

// Where the terms view and the signature area sit in the window's client area. Both share one
// rectangle, fixed in client pixels whatever the dialog font:
//
//   (0,0) +--------------------------------------------+
//         |        35                                  |
//         | 110  +-------------------------------+     |
//         |      |  terms view / signature area  | 25  |
//         |      +-------------------------------+     |
//         |                 25                         |
//         +--------------------------------------------+ (W,H)

#include "base/geometry.h"

namespace ondrel {

inline constexpr int kViewsLeft = 110;
inline constexpr int kViewsTop = 35;
inline constexpr int kViewsWidthMargin = 135;  // 110 left + 25 right
inline constexpr int kViewsHeightMargin = 60;  // 35 top + 25 bottom

// x 110, y 35, width W - 135, height H - 60; a size that would be negative is 0.
Rect ViewsRectForClient(int clientWidth, int clientHeight);

}  // namespace ondrel
