#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "tests/imaging/file_test_support.h"

namespace ondrel::test {

const bool kReplaceFailsWhileReaderHasFileOpen = false;

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
