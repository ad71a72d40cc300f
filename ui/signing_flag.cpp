#include "ui/signing_flag.h"

namespace ondrel {

int g_signingActive = 0;

}  // namespace ondrel
