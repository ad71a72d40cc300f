#pragma once

// Held shut until opened; a wait gives up after a time limit rather than hang a test.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace ondrel::test {

class Gate {
  public:
    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }
    bool Wait(std::chrono::seconds limit = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        return opened_.wait_for(lock, limit, [&] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

}  // namespace ondrel::test
