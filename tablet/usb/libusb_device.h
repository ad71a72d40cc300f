#pragma once

// One tablet opened through libusb: interface 0 claimed, reads as asynchronous transfers whose
// completions arrive on the port's event thread, the set-up requests through usbfs.

#include <memory>

#include "tablet/usb/usb_port.h"

struct libusb_device;
struct libusb_device_handle;

namespace ondrel {

// Takes over a referenced device and its open handle with interface 0 claimed. `keepAlive` holds
// the libusb context (and its event thread) for as long as the device exists. `wrappedFd`, when
// not -1, is the device node that libusb wraps in `handle`; it is closed after the handle.
std::shared_ptr<UsbDevice> MakeLibusbDevice(std::shared_ptr<void> keepAlive, libusb_device* device,
                                            libusb_device_handle* handle, int wrappedFd = -1);

}  // namespace ondrel
