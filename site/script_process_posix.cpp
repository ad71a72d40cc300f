#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

#include "site/path_text.h"
#include "site/script_process.h"
#include "site/site_log.h"

extern char** environ;

namespace ondrel {

// "/bin/sh BATCH open" with no input: the batch file is a shell script here.
bool RunHiddenAndWait(const std::filesystem::path& batch) {
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
