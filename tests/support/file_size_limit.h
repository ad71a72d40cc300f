#pragma once

// A folder that fills up part-way through a write: the process's file-size limit, where the
// platform has one (file_size_limit_posix.cpp; file_size_limit_win.cpp has none).

#include <cstdint>
#include <functional>

namespace ondrel::test {

// Runs `body` with the process's file-size limit lowered to `limit` bytes, so that a write past
// it fails part-way as on a full disk. False, without running `body`, where the platform has no
// such limit.
bool WithFileSizeLimit(std::uint64_t limit, const std::function<void()>& body);

}  // namespace ondrel::test
