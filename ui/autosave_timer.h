#pragma once

// The live-preview timer, behind a small interface so that tests can advance time themselves
// instead of waiting for real seconds.

#include <QTimer>
#include <functional>
#include <memory>

namespace ondrel {

class AutosaveTimer {
  public:
    virtual ~AutosaveTimer() = default;
    // Starts the timer afresh: the first tick comes one full period from now, whether or not it
    // was running.
    virtual void Start(int periodMs) = 0;
    // Stopping a timer that does not run is harmless.
    virtual void Stop() = 0;
    virtual bool IsRunning() const = 0;
};

// What a tick runs, on the window thread: handed the identifier of the timer that ticked.
using AutosaveTick = std::function<void(int timerId)>;

// Makes the window's timer with the identifier `timerId`.
using AutosaveTimerFactory =
    std::function<std::unique_ptr<AutosaveTimer>(int timerId, AutosaveTick onTick)>;

// A QTimer on the window thread.
class QtAutosaveTimer final : public AutosaveTimer {
  public:
    QtAutosaveTimer(int timerId, AutosaveTick onTick);
    void Start(int periodMs) override;
    void Stop() override;
    bool IsRunning() const override;

  private:
    QTimer timer_;
};

}  // namespace ondrel
