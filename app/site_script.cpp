#include "app/site_script.h"

#include <string>
#include <system_error>

#include "app/app_log.h"

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;
#endif

namespace ondrel {
namespace {

#ifndef _WIN32
// Runs "/bin/sh BATCH open" with no input and waits for it however long it takes. False when it
// could not be started.
bool RunAndWait(const std::filesystem::path& batch) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    std::string shell = "/bin/sh";
    std::string script = batch.string();
    std::string open = "open";
    char* argv[] = {shell.data(), script.data(), open.data(), nullptr};
    pid_t child = 0;
    const int started = posix_spawn(&child, shell.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        qCInfo(lcScripts) << "could not start" << script.c_str() << "error" << started;
        return false;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The script's exit code is the site's business; it is only shown to whoever asks.
    if (WIFEXITED(status)) {
        qCInfo(lcScripts) << script.c_str() << "ended with exit code" << WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        qCInfo(lcScripts) << script.c_str() << "was ended by signal" << WTERMSIG(status);
    }
    return true;
}
#else
bool RunAndWait(const std::filesystem::path& batch) {
    const std::wstring file = batch.wstring();
    return _wspawnlp(_P_WAIT, L"cmd.exe", L"cmd.exe", L"/c", file.c_str(), L"open", nullptr) != -1;
}
#endif

}  // namespace

void RunSiteScript(const std::filesystem::path& templatePath,
                   const std::filesystem::path& batchName) {
    std::error_code copyError;
    // An existing batch file (left by a run that was killed) is kept and run as it is; it is
    // deleted afterwards, so the next run starts from the template again.
    std::filesystem::copy_file(templatePath, batchName, std::filesystem::copy_options::none,
                               copyError);
    if (copyError) {
        qCInfo(lcScripts) << "copying" << templatePath.c_str() << "to" << batchName.c_str()
                          << "failed:" << copyError.message().c_str();
    }
    std::error_code ignored;
    if (std::filesystem::is_regular_file(batchName, ignored)) {
        qCInfo(lcScripts) << "running" << batchName.c_str() << "open";
        RunAndWait(batchName);
    } else {
        qCInfo(lcScripts) << "no script to run:" << batchName.c_str() << "is missing";
    }
    if (!std::filesystem::remove(batchName, ignored) && ignored) {
        qCInfo(lcScripts) << "could not delete" << batchName.c_str() << ignored.message().c_str();
    }
}

}  // namespace ondrel
