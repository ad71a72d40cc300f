#pragma once

// The window icon IDR_MAINFRAME, drawn for this program (res/icons), compiled in as a resource.

#include <QIcon>

namespace ondrel {

QIcon AppIcon();

}  // namespace ondrel
