#pragma once

#include <memory>

#include "tablet/usb/usb_port.h"

namespace ondrel {

// The simulated tablet running the script named by ONDREL_TABLET_SIM when that is set and not
// empty; the machine's USB stack otherwise; a port without devices when that cannot be used.
std::unique_ptr<UsbPort> MakeUsbPort();

}  // namespace ondrel
