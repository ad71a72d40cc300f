#pragma once

// Starting a site's batch file the way the platform runs scripts, hidden, with the single
// argument "open", and waiting for it however long it takes.

#include <filesystem>

namespace ondrel {

// False when the script could not be started; its exit code is the site's business. The script's
// environment is the program's, with ONDREL_EXCHANGE_DIR naming `exchangeFolder`.
bool RunHiddenAndWait(const std::filesystem::path& batch,
                      const std::filesystem::path& exchangeFolder);

}  // namespace ondrel
