#include "tablet/usb/system_usb_port.h"
#include "tablet/usb/winusb_port_win.h"

namespace ondrel {

std::unique_ptr<UsbPort> MakeSystemUsbPort(std::string* watch) {
    if (watch != nullptr) {
        *watch =
            "WinUSB: the tablet's device interface class; plugging and unplugging reach "
            "the signing window as device notifications";
    }
    return std::make_unique<WinUsbPort>(RealWinUsbApi());
}

const char* SystemUsbUnavailableText() {
    return "cannot use USB: WinUSB is not available";
}

}  // namespace ondrel
