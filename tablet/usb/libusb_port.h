#pragma once

// The real USB stack: libusb. Devices "of the tablet's class" are the USB devices with the
// tablet's vendor id. libusb's events (transfer completions, hot-plug) are handled on a thread
// of the port's own; arrival and removal reach the subscriber from there.

#include <memory>

#include "tablet/usb/usb_port.h"

namespace ondrel {

class LibusbPort final : public UsbPort {
  public:
    // Null when libusb cannot be initialised (no USB access at all).
    static std::unique_ptr<LibusbPort> Create();
    ~LibusbPort() override;

    // False where libusb has no hot-plug support: arrivals and removals are then found by
    // looking at the device list twice a second.
    bool hotplugAvailable() const;

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
