#pragma once

// The signing window's own registration for the tablet's plug and unplug notifications, where
// the platform sends them to windows (Windows: RegisterDeviceNotificationW for the tablet's
// interface class and for the open tablet's handle, then WM_DEVICECHANGE with the platform's
// event type and record, which the window turns into typed events). Elsewhere there is none,
// and the connection learns of plugging from its USB port instead.

#include <cstdint>
#include <memory>

#include "tablet/device_change.h"

class QWidget;

namespace ondrel {

class WindowDeviceNotifications {
  public:
    virtual ~WindowDeviceNotifications() = default;  // withdraws the registration
    // Registers the window for the notifications about one device handle (a removal request
    // among them), which reach the handler too; the watch withdraws them when it goes.
    virtual std::unique_ptr<DeviceHandleWatch> WatchHandle(std::uintptr_t handle) = 0;
};

// `window` must have its native window already (QWidget::create()). `sink` hears, on the window
// thread, of each arrival and removal of the tablet's class and of what happens to a watched
// handle. Null where the platform has no such notifications.
std::unique_ptr<WindowDeviceNotifications> RegisterWindowDeviceNotifications(QWidget& window,
                                                                             DeviceEventSink& sink);

}  // namespace ondrel
