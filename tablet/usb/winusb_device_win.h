#pragma once

// One tablet opened through WinUSB: the device handle (opened for overlapped I/O) and the WinUSB
// interface handle on it, released together once no read is under way any more.

#include <memory>

#include "tablet/usb/usb_port.h"
#include "tablet/usb/winusb_api.h"

namespace ondrel {

// Takes over both handles; releases them (WinUsb_Free, CloseHandle) itself, also when it cannot
// be made (null result).
std::shared_ptr<UsbDevice> MakeWinUsbDevice(const WinUsbApi& api, HANDLE file,
                                            WINUSB_INTERFACE_HANDLE usb);

}  // namespace ondrel
