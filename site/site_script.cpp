#include "site/site_script.h"

#include <string>
#include <system_error>

#include "site/path_text.h"
#include "site/script_process.h"
#include "site/site_log.h"

namespace ondrel {

void RunSiteScript(const std::filesystem::path& templatePath,
                   const std::filesystem::path& batchName) {
    std::error_code copyError;
    // An existing batch file (left by a run that was killed) is kept and run as it is; it is
    // deleted afterwards, so the next run starts from the template again.
    std::filesystem::copy_file(templatePath, batchName, std::filesystem::copy_options::none,
                               copyError);
    if (copyError) {
        qCInfo(lcScripts) << "copying" << PathText(templatePath) << "to" << PathText(batchName)
                          << "failed:" << copyError.message().c_str();
    }
    std::error_code ignored;
    if (std::filesystem::is_regular_file(batchName, ignored)) {
        qCInfo(lcScripts) << "running" << PathText(batchName) << "open";
        RunHiddenAndWait(batchName);
    } else {
        qCInfo(lcScripts) << "no script to run:" << PathText(batchName) << "is missing";
    }
    if (!std::filesystem::remove(batchName, ignored) && ignored) {
        qCInfo(lcScripts) << "could not delete" << PathText(batchName) << ignored.message().c_str();
    }
}

}  // namespace ondrel
