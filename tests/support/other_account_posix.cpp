#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/other_account.h"

namespace ondrel::test {
namespace {

constexpr const char* kName = "ondrel-test-other";

std::optional<OtherAccount> Lookup() {
    if (const passwd* entry = ::getpwnam(kName)) {
        return OtherAccount{entry->pw_uid, entry->pw_gid};
    }
    return std::nullopt;
}

}  // namespace

std::optional<OtherAccount> FindOrMakeOtherAccount(std::string& whyNot) {
    if (auto account = Lookup()) {
        return account;
    }
    if (::geteuid() != 0) {
        whyNot = "making a second account needs root";
        return std::nullopt;
    }
    const char* useradd = "/usr/sbin/useradd";
    if (::access(useradd, X_OK) != 0) {
        whyNot = "useradd is missing";
        return std::nullopt;
    }
    // Test programs run side by side: one makes the account while the others wait for it.
    const int lock = ::open("/run/ondrel-test-account.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (lock >= 0) {
        ::flock(lock, LOCK_EX);
    }
    std::optional<OtherAccount> account = Lookup();
    if (!account) {
        const std::string command = std::string(useradd) +
                                    " --system --no-create-home --shell /usr/sbin/nologin " +
                                    kName + " >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            account = Lookup();
        }
    }
    if (lock >= 0) {
        ::close(lock);
    }
    if (!account) {
        whyNot = std::string("useradd could not make the account ") + kName;
    }
    return account;
}

}  // namespace ondrel::test
