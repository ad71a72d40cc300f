#include "tests/support/file_size_limit.h"

namespace ondrel::test {

bool WithFileSizeLimit(std::uint64_t /*limit*/, const std::function<void()>& /*body*/) {
    return false;  // Windows has no per-process file-size limit
}

}  // namespace ondrel::test
