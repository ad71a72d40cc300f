#pragma once

// Diagnostics of start-up and the site scripts: silent by default, shown with Qt's logging
// rules, e.g. QT_LOGGING_RULES="ondrel.*=true".

#include <QLoggingCategory>

namespace ondrel {

Q_DECLARE_LOGGING_CATEGORY(lcScripts)
Q_DECLARE_LOGGING_CATEGORY(lcStartup)

}  // namespace ondrel
