#include "tablet/port_device_notifications.h"

#include "tablet/device_change.h"

namespace ondrel {

PortDeviceNotifications::PortDeviceNotifications(UsbPort& port, DeviceChangeHandler handler)
    : port_(port), handler_(std::move(handler)), doorbell_([this] { DeliverPending(); }) {
    // The port's own thread: no USB I/O here, the event only travels on to the window thread.
    port_.Subscribe([this](UsbDeviceEvent event) {
        std::lock_guard lock(mutex_);
        pending_.push_back(event == UsbDeviceEvent::Arrived ? DEVICE_ARRIVAL
                                                            : DEVICE_REMOVE_COMPLETE);
        doorbell_.Ring();
    });
}

PortDeviceNotifications::~PortDeviceNotifications() {
    port_.Unsubscribe();
}

void PortDeviceNotifications::DeliverPending() {
    for (;;) {
        std::uint32_t eventType = 0;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) {
                return;
            }
            eventType = pending_.front();
            pending_.pop_front();
        }
        const auto record = MakeTabletNotificationRecord();
        handler_(eventType, record);
    }
}

}  // namespace ondrel
