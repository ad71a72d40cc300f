#pragma once

// Runs one of the site's scripts: the template under config/ is copied to a batch file in the
// working directory (an existing batch file is kept and run instead), run with the single
// argument "open" and no console, waited for without a limit, and deleted. Whatever the script
// does or fails to do, the caller goes on.

#include <filesystem>

namespace ondrel {

void RunSiteScript(const std::filesystem::path& templatePath,
                   const std::filesystem::path& batchName);

}  // namespace ondrel
