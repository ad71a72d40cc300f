#include <cerrno>

#include "tablet/usb/usbfs_control.h"

namespace ondrel {

// No usbfs on these platforms: the set-up requests cannot be sent as given, and fail.
int OpenUsbfsNode(unsigned, unsigned) {
    return -ENOSYS;
}

int SendRawControlRequest(int, const UsbSetupPacket&, std::span<std::uint8_t>,
                          std::chrono::milliseconds) {
    return -ENOSYS;
}

}  // namespace ondrel
