#include "ui/rules/dialog_units.h"

#include <cstdint>

namespace ondrel {

int MulDivRound(int a, int b, int c) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = c / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / c : (product - half) / c;
    return static_cast<int>(rounded);
}

Rect DialogToPixels(const DialogRect& rect, const DialogBaseUnits& units) {
    const int left = MulDivRound(rect.x, units.cx, 4);
    const int top = MulDivRound(rect.y, units.cy, 8);
    return Rect{left, top, left + MulDivRound(rect.cx, units.cx, 4),
                top + MulDivRound(rect.cy, units.cy, 8)};
}

DialogBaseUnits BaseUnitsFromMetrics(int alphabetWidth, int fontHeight) {
    return DialogBaseUnits{(alphabetWidth / 26 + 1) / 2, fontHeight};
}

}  // namespace ondrel
