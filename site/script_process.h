#pragma once

// Starting a site's batch file the way the platform runs scripts, hidden, with the single
// argument "open", and waiting for it however long it takes.

#include <filesystem>

namespace ondrel {

// False when the script could not be started; its exit code is the site's business.
bool RunHiddenAndWait(const std::filesystem::path& batch);

}  // namespace ondrel
