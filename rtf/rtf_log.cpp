#include "rtf/rtf_log.h"

namespace ondrel {

Q_LOGGING_CATEGORY(lcTerms, "ondrel.terms", QtWarningMsg)

}  // namespace ondrel
