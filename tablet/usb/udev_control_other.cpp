#include "tablet/usb/device_watch.h"

namespace ondrel {

// libusb's hot-plug on these platforms does not go through a udev daemon.
UdevControlSocket ProbeUdevControlSocket(const char*) {
    return UdevControlSocket::NotUsed;
}

}  // namespace ondrel
