#pragma once

#include <atomic>

namespace ondrel {

// True from process start; cleared once, when the signing window is torn down. Every reader
// checks it before its first turn and after each turn, and ends when it is false.
extern std::atomic<bool> g_readerRunning;

}  // namespace ondrel
