#pragma once

// Where the platform has no device notifications of its own, the USB port's arrivals and
// removals stand for them: each one reaches the window thread, in order.

#include <deque>
#include <mutex>

#include "tablet/usb/usb_port.h"
#include "tablet/window_doorbell.h"

namespace ondrel {

class PortDeviceNotifications {
  public:
    // Create on the window thread; `handler` runs there. Subscribes to the port at once.
    PortDeviceNotifications(UsbPort& port, UsbDeviceEventHandler handler);
    // Unsubscribes: no notification is delivered after this returns.
    ~PortDeviceNotifications();
    PortDeviceNotifications(const PortDeviceNotifications&) = delete;
    PortDeviceNotifications& operator=(const PortDeviceNotifications&) = delete;

  private:
    void DeliverPending();  // window thread

    UsbPort& port_;
    UsbDeviceEventHandler handler_;
    std::mutex mutex_;
    std::deque<UsbDeviceEvent> pending_;
    WindowThreadDoorbell doorbell_;
};

}  // namespace ondrel
