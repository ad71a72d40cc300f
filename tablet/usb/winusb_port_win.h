#pragma once

// The tablet through WinUSB: a device "of the tablet's class" is a present interface of the
// tablet's device-interface class, which exists where WinUSB is bound to the tablet with that
// class (res/windows/ondrel-tablet-winusb.inf). Arrivals and removals are the window's own
// device notifications (WM_DEVICECHANGE), so the port has no thread and no subscribers.

#include <memory>
#include <string>
#include <vector>

#include "tablet/usb/usb_port.h"
#include "tablet/usb/winusb_api.h"

namespace ondrel {

class WinUsbPort final : public UsbPort {
  public:
    // Every Windows call goes through `api`, which outlives the port and its devices.
    explicit WinUsbPort(const WinUsbApi& api);

    std::vector<UsbDeviceInfo> ListDevices() override;
    std::optional<std::string> FindFirstDevice() override;
    OpenResult Open(const std::string& path) override;
    // The signing window registers for the device notifications itself; nothing arrives here.
    void Subscribe(UsbDeviceEventHandler handler) override;
    void Unsubscribe() override;

    // The hardware ids of the present USB devices of the tablet's vendor (USB\VID_256C...),
    // whatever driver they have: the diagnostic program tells from these whether a tablet is
    // plugged in without WinUSB bound to it with the tablet's interface class.
    std::vector<std::string> VendorHardwareIds();

  private:
    const WinUsbApi& api_;
};

// A device path as Windows writes it (UTF-16) in UTF-8, and back.
std::string Utf8FromWide(const std::wstring& wide);
std::wstring WideFromUtf8(const std::string& utf8);

}  // namespace ondrel
