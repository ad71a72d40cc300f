#pragma once

// Windows only: which kind of owner a security identifier is.

#include "site/trusted_path.h"

namespace ondrel {

// The process's own user, the Administrators group or SYSTEM, or another account; `sid` is a
// PSID (nullptr gives Unknown).
PathOwner ClassifyOwnerSid(void* sid);

}  // namespace ondrel
