#include "site/site_script.h"

#include <optional>
#include <string>
#include <system_error>

#include "site/exchange_paths.h"
#include "site/path_text.h"
#include "site/script_process.h"
#include "site/site_log.h"

namespace ondrel {
namespace {

void DeleteBatch(const std::filesystem::path& batchName) {
    std::error_code error;
    if (!std::filesystem::remove(batchName, error) && error) {
        qCInfo(lcScripts) << "could not delete" << PathText(batchName) << error.message().c_str();
    }
}

}  // namespace

void RunSiteScript(const std::filesystem::path& templatePath,
                   const std::filesystem::path& batchName) {
    RunSiteScript(templatePath, batchName, OwnerLookup{});
}

void RunSiteScript(const std::filesystem::path& templatePath,
                   const std::filesystem::path& batchName, const OwnerLookup& owner) {
    // The copy only ever creates a new file: it never writes into, or through a link at, a name
    // that is taken.
    std::error_code copyError;
    std::filesystem::copy_file(templatePath, batchName, std::filesystem::copy_options::none,
                               copyError);
    if (copyError) {
        qCInfo(lcScripts) << "copying" << PathText(templatePath) << "to" << PathText(batchName)
                          << "failed:" << copyError.message().c_str();
    }
    const PathFacts batch = LookAtPath(batchName, owner);
    if (!batch.exists) {
        qCInfo(lcScripts) << "no script to run:" << PathText(batchName) << "is missing";
        return;
    }
    // A batch file that was there already (left by a run that was killed) is run as it is, and
    // deleted afterwards so that the next run starts from the template again; but only when no
    // other account can have put it there.
    if (copyError) {
        if (const std::optional<std::string> refusal = LeftoverScriptRefusal(batch)) {
            qCWarning(lcScripts) << "not running" << PathText(batchName)
                                 << "found in place:" << refusal->c_str() << "- removing it";
            std::error_code error;
            if (!std::filesystem::remove(batchName, error) && error) {
                qCWarning(lcScripts) << "could not remove" << PathText(batchName) << "("
                                     << error.message().c_str() << "): it is refused at every run"
                                     << "until an administrator removes it";
            }
            return;
        }
    }
    qCInfo(lcScripts) << "running" << PathText(batchName) << "open";
    RunHiddenAndWait(batchName, ExchangeFolder());
    DeleteBatch(batchName);
}

}  // namespace ondrel
