#include "ui/autosave_timer.h"

#include <utility>

namespace ondrel {

QtAutosaveTimer::QtAutosaveTimer(int timerId, AutosaveTick onTick) {
    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout,
                     [timerId, tick = std::move(onTick)] { tick(timerId); });
}

void QtAutosaveTimer::Start(int periodMs) {
    timer_.start(periodMs);
}
void QtAutosaveTimer::Stop() {
    timer_.stop();
}
bool QtAutosaveTimer::IsRunning() const {
    return timer_.isActive();
}

}  // namespace ondrel
