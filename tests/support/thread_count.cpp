#include "tests/support/thread_count.h"

#include "tests/support/pump_until.h"

namespace ondrel::test {

bool WaitForThreadCountAtMost(std::size_t limit, std::chrono::milliseconds patience) {
    return PumpUntil([limit] { return ThreadCount() <= limit; }, patience);
}

}  // namespace ondrel::test
