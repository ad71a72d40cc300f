#pragma once

// The font the window templates are laid out in, and its measured base units.

#include <QFont>

#include "ui/rules/dialog_units.h"

namespace ondrel {

// The shell dialog font at 8 points. There is no "MS Shell Dlg" here: WenQuanYi Micro Hei stands
// in for it, falling back to the application's sans-serif font.
QFont TemplateFont();

DialogBaseUnits MeasureDialogBaseUnits(const QFont& font);

}  // namespace ondrel
