#pragma once

// Control requests with any wLength on Linux. libusb and the kernel's synchronous control call
// refuse a wLength above 4096, yet the tablet must see 0x5678; usbfs takes an asynchronous
// control URB whose buffer is as large as wLength asks. Sent on a descriptor of the caller's own,
// so that libusb, which reaps URBs on its own descriptor, never sees them.

#include <chrono>
#include <cstdint>
#include <span>

#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {

// Opens the device node /dev/bus/usb/BUS/ADDRESS; a descriptor, or -errno.
int OpenUsbfsNode(unsigned bus, unsigned address);

// Sends exactly these setup bytes on `fd` and waits at most `limit` for the request to end (then
// takes it back from the kernel). At most data.size() bytes of the reply are copied into `data`.
// Returns the bytes copied, or -errno (-ETIMEDOUT when the limit passed).
int SendRawControlRequest(int fd, const UsbSetupPacket& setup, std::span<std::uint8_t> data,
                          std::chrono::milliseconds limit);

}  // namespace ondrel
