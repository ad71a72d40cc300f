#pragma once

// Virtual time for the preview timer: tests advance it by hand, and every timer made from the
// timeline ticks exactly when a real one would, without waiting.

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ui/autosave_timer.h"

namespace ondrel::test {

class FakeTimeline {
  public:
    class Timer final : public AutosaveTimer {
      public:
        Timer(FakeTimeline& timeline, int timerId, AutosaveTick onTick)
            : timeline_(timeline), id_(timerId), onTick_(std::move(onTick)) {}
        ~Timer() override { std::erase(timeline_.timers_, this); }
        Timer(const Timer&) = delete;
        Timer& operator=(const Timer&) = delete;
        void Start(int periodMs) override {
            period_ = periodMs;
            nextTick_ = timeline_.now_ + periodMs;
            running_ = true;
            ++starts;
        }
        void Stop() override { running_ = false; }
        bool IsRunning() const override { return running_; }
        int id() const { return id_; }
        int period() const { return period_; }
        int starts = 0;

      private:
        friend class FakeTimeline;
        FakeTimeline& timeline_;
        int id_;
        AutosaveTick onTick_;
        std::int64_t nextTick_ = 0;
        int period_ = 0;
        bool running_ = false;
    };

    AutosaveTimerFactory Factory() {
        return [this](int timerId, AutosaveTick onTick) {
            auto timer = std::make_unique<Timer>(*this, timerId, std::move(onTick));
            timers_.push_back(timer.get());
            return timer;
        };
    }

    // Moves time forward, firing every tick that falls due on the way, in order.
    void Advance(std::int64_t ms) {
        const std::int64_t end = now_ + ms;
        for (;;) {
            Timer* due = nullptr;
            for (Timer* timer : timers_) {
                if (timer->running_ && timer->nextTick_ <= end &&
                    (due == nullptr || timer->nextTick_ < due->nextTick_)) {
                    due = timer;
                }
            }
            if (due == nullptr) {
                break;
            }
            now_ = due->nextTick_;
            due->nextTick_ += due->period_;
            due->onTick_(due->id_);
        }
        now_ = end;
    }

    Timer& last() { return *timers_.back(); }

  private:
    std::int64_t now_ = 0;
    std::vector<Timer*> timers_;  // owned by the windows; each leaves the list when it goes
};

}  // namespace ondrel::test
