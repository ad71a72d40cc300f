#pragma once

// Wakes the window thread from any thread: Ring() may be called anywhere, the handler runs on
// the thread that created the doorbell, from its Qt event loop (nested loops included). Only
// the wake-up crosses threads; whatever the handler looks at is shared through the caller's own
// mutex. Several rings before the handler runs may run it once.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace ondrel {

class WindowThreadDoorbell {
  public:
    explicit WindowThreadDoorbell(std::function<void()> handler);
    // On the creating thread. A ring still on its way is dropped: the handler never runs after
    // this returns.
    ~WindowThreadDoorbell();
    WindowThreadDoorbell(const WindowThreadDoorbell&) = delete;
    WindowThreadDoorbell& operator=(const WindowThreadDoorbell&) = delete;

    void Ring();

  private:
    std::function<void()> handler_;
    std::atomic<bool> rung_{false};
    std::mutex mutex_;                   // guards receiver_ against the destructor
    std::unique_ptr<QObject> receiver_;  // lives on the creating thread
};

}  // namespace ondrel
