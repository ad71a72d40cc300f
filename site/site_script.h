#pragma once

// Runs one of the site's scripts: the template under config/ is copied to a batch file in the
// working directory (an existing batch file is kept and run instead, when the desk user or an
// administrator owns it), run with the single argument "open" and no console, waited for
// without a limit, and deleted. The script finds the exchange folder in ONDREL_EXCHANGE_DIR.
// Whatever the script does or fails to do, the caller goes on.

#include <filesystem>

#include "site/trusted_path.h"

namespace ondrel {

void RunSiteScript(const std::filesystem::path& templatePath,
                   const std::filesystem::path& batchName);

// The same, with the owner of a batch file found in place told by `owner` (tests).
void RunSiteScript(const std::filesystem::path& templatePath,
                   const std::filesystem::path& batchName, const OwnerLookup& owner);

}  // namespace ondrel
