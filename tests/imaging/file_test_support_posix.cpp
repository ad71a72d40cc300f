#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "tests/imaging/file_test_support.h"

namespace ondrel::test {

const bool kReplaceFailsWhileReaderHasFileOpen = false;

// For another user the folder's permissions make it read-only; root gets a child process with a
// private mount namespace in which the folder is a read-only bind mount of itself. Nothing where
// root can have no such namespace (a container without the privilege). A child that can write
// anyway exits with 78, which fails the test.
std::optional<int> SaveIntoReadOnlyFolder(const std::filesystem::path& folder,
                                          const std::function<int()>& save) {
    if (geteuid() != 0) {
        std::filesystem::permissions(
            folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        const int result = save();
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        return result;
    }
    constexpr int NO_NAMESPACE = 77;
    constexpr int STILL_WRITABLE = 78;
    const pid_t child = fork();
    if (child < 0) {
        return std::nullopt;
    }
    if (child == 0) {
        bool own = unshare(CLONE_NEWNS) == 0;
        if (!own && unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
            // Root stays root inside, so that only the mount can refuse the writes.
            const auto write = [](const char* file, const char* text) {
                std::ofstream out(file);
                out << text;
                out.flush();
                return out.good();
            };
            own = write("/proc/self/setgroups", "deny") && write("/proc/self/uid_map", "0 0 1") &&
                  write("/proc/self/gid_map", "0 0 1");
        }
        const char* path = folder.c_str();
        if (!own || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(path, path, nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, path, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            _exit(NO_NAMESPACE);
        }
        const std::string probe = (folder / "probe").string();
        const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0 || errno != EROFS) {
            _exit(STILL_WRITABLE);
        }
        _exit(save());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        ADD_FAILURE() << "the read-only child did not end normally";
        return std::nullopt;
    }
    const int code = WEXITSTATUS(status);
    EXPECT_NE(code, STILL_WRITABLE) << "the read-only bind mount could be written";
    if (code == NO_NAMESPACE) {
        return std::nullopt;
    }
    return code;
}

}  // namespace ondrel::test
