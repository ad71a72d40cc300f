#pragma once

// What the terms view's reader leaves out of an agreement (too large a document or picture):
// warnings, shown by default.

#include <QLoggingCategory>

namespace ondrel {

Q_DECLARE_LOGGING_CATEGORY(lcTerms)

}  // namespace ondrel
