#include "tablet/usb/libusb_port.h"
#include "tablet/usb/system_usb_port.h"

namespace ondrel {

std::unique_ptr<UsbPort> MakeSystemUsbPort(std::string* watch) {
    std::unique_ptr<LibusbPort> port = LibusbPort::Create();
    if (port && watch != nullptr) {
        switch (port->deviceWatch()) {
            case DeviceWatch::HotplugEvents:
                *watch = "libusb: hot-plug events";
                break;
            case DeviceWatch::PollLibusbList:
                *watch = "libusb: no hot-plug; looking at the device list every second";
                break;
            case DeviceWatch::PollKernelList:
                *watch =
                    "libusb: no udev daemon, so no hot-plug events; looking at the kernel's"
                    " device list every second";
                break;
        }
    }
    return port;
}

const char* SystemUsbUnavailableText() {
    return "cannot use USB at all: libusb could not start (is /dev/bus/usb there?)";
}

}  // namespace ondrel
