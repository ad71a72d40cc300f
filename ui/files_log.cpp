#include "ui/files_log.h"

namespace ondrel {

Q_LOGGING_CATEGORY(lcFiles, "ondrel.files", QtWarningMsg)

}  // namespace ondrel
