#pragma once

// The font the window templates are laid out in, and its measured base units.

#include <QFont>

#include "ui/dialog_units.h"

namespace ondrel {

// The shell dialog font at 8 points: the application's sans-serif font (the system has no
// "MS Shell Dlg"), whose fallback covers the Chinese captions.
QFont TemplateFont();

DialogBaseUnits MeasureDialogBaseUnits(const QFont& font);

}  // namespace ondrel
