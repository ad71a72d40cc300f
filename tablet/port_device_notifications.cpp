#include "tablet/port_device_notifications.h"

namespace ondrel {

PortDeviceNotifications::PortDeviceNotifications(UsbPort& port, UsbDeviceEventHandler handler)
    : port_(port), handler_(std::move(handler)), doorbell_([this] { DeliverPending(); }) {
    // The port's own thread: no USB I/O here, the event only travels on to the window thread.
    port_.Subscribe([this](UsbDeviceEvent event) {
        std::lock_guard lock(mutex_);
        pending_.push_back(event);
        doorbell_.Ring();
    });
}

PortDeviceNotifications::~PortDeviceNotifications() {
    port_.Unsubscribe();
}

void PortDeviceNotifications::DeliverPending() {
    for (;;) {
        UsbDeviceEvent event;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) {
                return;
            }
            event = pending_.front();
            pending_.pop_front();
        }
        handler_(event);
    }
}

}  // namespace ondrel
