#pragma once

// Diagnostics of the tablet: silent by default, shown with QT_LOGGING_RULES="ondrel.tablet=true".

#include <QLoggingCategory>

#include "tablet/tablet_link.h"

namespace ondrel {

Q_DECLARE_LOGGING_CATEGORY(lcTablet)

const char* DescribeOpenOutcome(OpenOutcome outcome);

}  // namespace ondrel
