#include "tablet/usb/system_usb_port.h"

namespace ondrel {

// The WinUSB port is not there yet: without ONDREL_TABLET_SIM the program finds no tablet.
std::unique_ptr<UsbPort> MakeSystemUsbPort(std::string*) {
    return nullptr;
}

const char* SystemUsbUnavailableText() {
    return "cannot use USB: this build has no WinUSB port yet (ONDREL_TABLET_SIM runs the "
           "simulated tablet)";
}

}  // namespace ondrel
