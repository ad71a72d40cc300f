#pragma once

// Waiting on a condition while the Qt event loop runs, as the window thread would.

#include <chrono>
#include <functional>

namespace ondrel::test {

// Runs the event loop until `condition` holds, or gives up after `limit`.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace ondrel::test
