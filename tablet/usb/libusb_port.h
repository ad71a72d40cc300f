#pragma once

// The real USB stack: libusb. Devices "of the tablet's class" are the USB devices with the
// tablet's vendor id. libusb's events (transfer completions, hot-plug) are handled on a thread
// of the port's own; arrival and removal reach the subscriber from there.

#include <memory>

#include "tablet/usb/device_watch.h"
#include "tablet/usb/usb_port.h"

namespace ondrel {

class LibusbPort final : public UsbPort {
  public:
    // Null when libusb cannot be initialised (no USB access at all).
    static std::unique_ptr<LibusbPort> Create();
    ~LibusbPort() override;

    // How arrivals and removals are learnt: libusb's hot-plug events, or, where it has none or
    // they cannot arrive (no udev daemon), by looking at the device list every second.
    DeviceWatch deviceWatch() const;

    std::vector<UsbDeviceInfo> ListDevices() override;
    std::optional<std::string> FindFirstDevice() override;
    OpenResult Open(const std::string& path) override;
    void Subscribe(UsbDeviceEventHandler handler) override;
    void Unsubscribe() override;

    struct Context;  // shared with the open devices, which may outlive the port

  private:
    explicit LibusbPort(std::shared_ptr<Context> context);
    std::shared_ptr<Context> context_;
};

}  // namespace ondrel
