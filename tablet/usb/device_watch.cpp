#include "tablet/usb/device_watch.h"

namespace ondrel {

bool UdevDaemonListens(UdevControlSocket control) {
    switch (control) {
        case UdevControlSocket::Accepted:
        case UdevControlSocket::NoAccess:
            return true;
        case UdevControlSocket::NotUsed:
        case UdevControlSocket::Missing:
        case UdevControlSocket::NotASocket:
        case UdevControlSocket::Refused:
            break;
    }
    return false;
}

DeviceWatch ChooseDeviceWatch(bool libusbHotplug, UdevControlSocket control) {
    if (!libusbHotplug) {
        return DeviceWatch::PollLibusbList;
    }
    if (control == UdevControlSocket::NotUsed || UdevDaemonListens(control)) {
        return DeviceWatch::HotplugEvents;
    }
    return DeviceWatch::PollKernelList;
}

}  // namespace ondrel
