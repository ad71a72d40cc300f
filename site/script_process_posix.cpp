#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "site/path_text.h"
#include "site/script_process.h"
#include "site/site_log.h"

extern char** environ;

namespace ondrel {
namespace {

// The program's environment with ONDREL_EXCHANGE_DIR set to the folder in use.
std::vector<std::string> ScriptEnvironment(const std::filesystem::path& exchangeFolder) {
    constexpr std::string_view kName = "ONDREL_EXCHANGE_DIR=";
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (!std::string_view(*entry).starts_with(kName)) {
            entries.emplace_back(*entry);
        }
    }
    entries.push_back(std::string(kName) + exchangeFolder.string());
    return entries;
}

}  // namespace

// "/bin/sh BATCH open" with no input: the batch file is a shell script here.
bool RunHiddenAndWait(const std::filesystem::path& batch,
                      const std::filesystem::path& exchangeFolder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    std::string shell = "/bin/sh";
    std::string script = batch.string();
    std::string open = "open";
    char* argv[] = {shell.data(), script.data(), open.data(), nullptr};
    std::vector<std::string> environment = ScriptEnvironment(exchangeFolder);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    pid_t child = 0;
    const int started = posix_spawn(&child, shell.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        qCInfo(lcScripts) << "could not start" << PathText(batch) << "error" << started;
        return false;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        qCInfo(lcScripts) << PathText(batch) << "ended with exit code" << WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        qCInfo(lcScripts) << PathText(batch) << "was ended by signal" << WTERMSIG(status);
    }
    return true;
}

}  // namespace ondrel
