#pragma once

// The machine's own USB stack behind the UsbPort interface: libusb on Linux; on Windows the
// tablet's WinUSB interface.

#include <memory>

#include "tablet/usb/usb_port.h"

namespace ondrel {

// Null when the USB stack cannot be used at all.
std::unique_ptr<UsbPort> MakeSystemUsbPort();

}  // namespace ondrel
