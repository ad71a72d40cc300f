#pragma once

// The device notifications the connection acts on, typed: arrivals and removals of the tablet's
// class (UsbDeviceEvent), and, where the platform watches the open tablet's handle, what happens
// to its device. Each platform's adapter turns its own notifications into these.

#include <cstdint>
#include <functional>
#include <memory>

#include "tablet/usb/usb_port.h"

namespace ondrel {

// About a watched handle's device.
enum class DeviceHandleEvent {
    RemovalRequested,  // the system asks to remove it: the removal fails while a handle is held
    RemovalFailed,     // the removal did not happen after all (vetoed or cancelled)
    RemovalPending,    // it is under way
    Removed,           // it is done
};

// The platform's notifications about one open device handle (the Windows window's handle
// notification), for as long as the object lives.
class DeviceHandleWatch {
  public:
    virtual ~DeviceHandleWatch() = default;  // withdraws the registration
};
// Starts watching a handle; may return null where nothing can be watched.
using DeviceHandleWatcher =
    std::function<std::unique_ptr<DeviceHandleWatch>(std::uintptr_t handle)>;

// Where the window's device notifications go (the connection), on the window thread.
class DeviceEventSink {
  public:
    virtual ~DeviceEventSink() = default;
    // A device of the tablet's class came or went.
    virtual void OnDeviceEvent(UsbDeviceEvent event) = 0;
    // Something happened to the device of `handle`, a handle the sink asked to be watched.
    virtual void OnDeviceHandleEvent(std::uintptr_t handle, DeviceHandleEvent event) = 0;
};

}  // namespace ondrel
