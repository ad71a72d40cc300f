#pragma once

// Counts what another thread has finished, and lets a test wait for a count with a time limit.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace ondrel::test {

class DoneCounter {
  public:
    void Add() {
        {
            std::lock_guard lock(mutex_);
            ++count_;
        }
        changed_.notify_all();
    }
    bool WaitFor(int count, std::chrono::seconds limit = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return count_ >= count; });
    }
    int count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

}  // namespace ondrel::test
