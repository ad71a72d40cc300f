#pragma once

// Diagnostics of the signature files: silent by default, shown with
// QT_LOGGING_RULES="ondrel.files=true".

#include <QLoggingCategory>

namespace ondrel {

Q_DECLARE_LOGGING_CATEGORY(lcFiles)

}  // namespace ondrel
