#include <filesystem>

#include "tests/support/thread_count.h"

namespace ondrel::test {

std::size_t ThreadCount() {
    std::size_t count = 0;
    std::error_code ignored;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task", ignored)) {
        ++count;
    }
    return count;
}

}  // namespace ondrel::test
