#include "tablet/usb/system_usb_port.h"

namespace ondrel {

// The WinUSB port is not there yet: without ONDREL_TABLET_SIM the program finds no tablet.
std::unique_ptr<UsbPort> MakeSystemUsbPort() {
    return nullptr;
}

}  // namespace ondrel
