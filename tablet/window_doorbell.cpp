#include "tablet/window_doorbell.h"

#include <QMetaObject>
#include <QObject>

namespace ondrel {

WindowThreadDoorbell::WindowThreadDoorbell(std::function<void()> handler)
    : handler_(std::move(handler)), receiver_(std::make_unique<QObject>()) {}

WindowThreadDoorbell::~WindowThreadDoorbell() {
    std::lock_guard lock(mutex_);
    receiver_.reset();  // Qt discards the calls still posted to it
}

void WindowThreadDoorbell::Ring() {
    if (rung_.exchange(true)) {
        return;  // a wake-up is on its way, and its handler will see everything
    }
    std::lock_guard lock(mutex_);
    if (!receiver_) {
        return;
    }
    QMetaObject::invokeMethod(
        receiver_.get(),
        [this] {
            // Cleared before the handler looks, so a ring during the handler wakes it again.
            rung_ = false;
            handler_();
        },
        Qt::QueuedConnection);
}

}  // namespace ondrel
