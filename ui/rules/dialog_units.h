#pragma once

// Control positions are laid down in dialog units: a quarter of the dialog font's average
// character width horizontally and an eighth of its character height vertically. These are the
// pure conversions; MeasureDialogBaseUnits (dialog_font.h) measures a real font.

#include "base/geometry.h"

namespace ondrel {

// The dialog font's average character width and character height, in pixels.
struct DialogBaseUnits {
    int cx = 0;
    int cy = 0;
};

// A rectangle as a template gives it: position and size in dialog units.
struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDivRound(int a, int b, int c);

// The pixel rectangle of a template rectangle: x * cx / 4 and y * cy / 8, each rounded.
Rect DialogToPixels(const DialogRect& rect, const DialogBaseUnits& units);

// The base units of a font from the width of the 52 letters A-Z and a-z and its height, the
// way the dialog manager measures them: cx = (width / 26 + 1) / 2.
DialogBaseUnits BaseUnitsFromMetrics(int alphabetWidth, int fontHeight);

}  // namespace ondrel
