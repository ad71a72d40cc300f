#pragma once

// Wakes the window thread from any thread: Ring() may be called anywhere, the handler runs on
// the thread that created the doorbell, from its Qt event loop. Only a byte on a pipe crosses
// threads; whatever the handler looks at is shared through the caller's own mutex. Several
// rings before the handler runs may run it once.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace ondrel {

class WindowThreadDoorbell {
  public:
    explicit WindowThreadDoorbell(std::function<void()> handler);
    ~WindowThreadDoorbell();
    WindowThreadDoorbell(const WindowThreadDoorbell&) = delete;
    WindowThreadDoorbell& operator=(const WindowThreadDoorbell&) = delete;

    void Ring();

  private:
    void Drain();

    std::function<void()> handler_;
    int readFd_ = -1;
    int writeFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ondrel
