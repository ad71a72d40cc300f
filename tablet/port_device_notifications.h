#pragma once

// Where the platform has no device notifications of its own, the USB port's arrivals and
// removals become them: each one reaches the window thread, in order, as the device-change
// event with the device-interface record of the tablet's class.

#include <cstdint>
#include <deque>
#include <mutex>

#include "tablet/device_change.h"
#include "tablet/usb/usb_port.h"
#include "tablet/window_doorbell.h"

namespace ondrel {

class PortDeviceNotifications {
  public:
    // Create on the window thread; `handler` runs there. Subscribes to the port at once.
    PortDeviceNotifications(UsbPort& port, DeviceChangeHandler handler);
    // Unsubscribes: no notification is delivered after this returns.
    ~PortDeviceNotifications();
    PortDeviceNotifications(const PortDeviceNotifications&) = delete;
    PortDeviceNotifications& operator=(const PortDeviceNotifications&) = delete;

  private:
    void DeliverPending();  // window thread

    UsbPort& port_;
    DeviceChangeHandler handler_;
    std::mutex mutex_;
    std::deque<std::uint32_t> pending_;
    WindowThreadDoorbell doorbell_;
};

}  // namespace ondrel
