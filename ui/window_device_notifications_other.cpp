#include "ui/window_device_notifications.h"

namespace ondrel {

// No window receives device notifications here: the USB port delivers plugging (see
// TabletConnection::RegisterTabletNotifications).
std::unique_ptr<WindowDeviceNotifications> RegisterWindowDeviceNotifications(QWidget&,
                                                                             DeviceEventSink&) {
    return nullptr;
}

}  // namespace ondrel
