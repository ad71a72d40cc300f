#pragma once

// The machine's own USB stack behind the UsbPort interface: libusb on Linux; on Windows the
// tablet's WinUSB interface.

#include <memory>
#include <string>

#include "tablet/usb/usb_port.h"

namespace ondrel {

// Null when the USB stack cannot be used at all. `watch`, when given, receives a line that says
// how the port learns of plugging and unplugging (the diagnostic program shows it).
std::unique_ptr<UsbPort> MakeSystemUsbPort(std::string* watch = nullptr);

// Why the USB stack could not be used, in the user's words.
const char* SystemUsbUnavailableText();

}  // namespace ondrel
