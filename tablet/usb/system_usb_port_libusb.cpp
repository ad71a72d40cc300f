#include "tablet/usb/libusb_port.h"
#include "tablet/usb/system_usb_port.h"

namespace ondrel {

std::unique_ptr<UsbPort> MakeSystemUsbPort() {
    return LibusbPort::Create();
}

}  // namespace ondrel
