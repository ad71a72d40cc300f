#include "site/site_log.h"

namespace ondrel {

Q_LOGGING_CATEGORY(lcScripts, "ondrel.scripts", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStartup, "ondrel.startup", QtWarningMsg)

}  // namespace ondrel
