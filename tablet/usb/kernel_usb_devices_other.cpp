#include <cerrno>

#include "tablet/usb/kernel_usb_devices.h"

namespace ondrel {

// Where libusb's hot-plug does not depend on a udev daemon, its own list is always current.
std::vector<KernelUsbDevice> ListKernelUsbDevices() {
    return {};
}

int OpenKernelUsbDevice(unsigned, unsigned) {
    return -ENOSYS;
}

void CloseKernelUsbDevice(int) {}

}  // namespace ondrel
