#pragma once

#include <memory>

#include "tablet/usb/usb_port.h"

namespace ondrel {

// The simulated tablet running the script named by ONDREL_TABLET_SIM when that is set and not
// empty; libusb otherwise; a port without devices when libusb cannot start.
std::unique_ptr<UsbPort> MakeUsbPort();

}  // namespace ondrel
