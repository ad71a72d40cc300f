#include <sys/resource.h>

#include <csignal>

#include "tests/support/file_size_limit.h"

namespace ondrel::test {

bool WithFileSizeLimit(std::uint64_t limit, const std::function<void()>& body) {
    rlimit original{};
    if (getrlimit(RLIMIT_FSIZE, &original) != 0) {
        return false;
    }
    // Past the limit the kernel sends SIGXFSZ; ignored, the write fails with EFBIG instead.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = original;
    limited.rlim_cur = limit;
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0) {
        std::signal(SIGXFSZ, previousHandler);
        return false;
    }
    body();
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);
    return true;
}

}  // namespace ondrel::test
