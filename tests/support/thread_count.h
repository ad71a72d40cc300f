#pragma once

// How many threads the test process has, to see that teardown leaves no reader behind.

#include <chrono>
#include <cstddef>

namespace ondrel::test {

std::size_t ThreadCount();

// A joined thread leaves the process a moment after its join returns, so a count that must
// come down is waited for (running the event loop meanwhile). True once it is at most `limit`.
bool WaitForThreadCountAtMost(std::size_t limit,
                              std::chrono::milliseconds patience = std::chrono::seconds(5));

}  // namespace ondrel::test
