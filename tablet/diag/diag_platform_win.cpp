#include <cstdio>
#include <memory>

#include "tablet/diag/diag_platform.h"
#include "tablet/protocol/tablet_protocol.h"
#include "tablet/usb/winusb_port_win.h"

namespace ondrel {

// The tablet's interface class exists only where WinUSB is bound to the tablet with it; a
// device of the vendor without it is still on the USB bus, under its hardware id.
NoTabletExplanation ExplainNoTablet(int noTabletStatus, int noDriverStatus) {
    WinUsbPort port(RealWinUsbApi());
    const std::vector<std::string> ids = port.VendorHardwareIds();
    char line[256];
    if (ids.empty()) {
        std::snprintf(line, sizeof line,
                      "no tablet: no USB device with vendor id %04x is connected (none under "
                      "USB\\VID_%04X); plug the tablet in\n",
                      TABLET_VENDOR_ID, TABLET_VENDOR_ID);
        return {line, noTabletStatus};
    }
    std::string text =
        "no tablet interface: a USB device of the tablet's vendor is connected, but WinUSB is\n"
        "not bound to it with the tablet's interface class, so the program cannot find it:\n";
    for (const std::string& id : ids) {
        text += "  " + id + "\n";
    }
    text +=
        "Install the driver package res\\windows\\ondrel-tablet-winusb.inf (an administrator:\n"
        "  pnputil /add-driver ondrel-tablet-winusb.inf /install\n"
        "see \"The tablet on Windows\" in docs/integrator-guide.md), then unplug the tablet\n"
        "and plug it in again\n";
    return {text, noDriverStatus};
}

std::function<void()> MakePresenceCheck(UsbDeviceEventHandler onChange) {
    auto port = std::make_shared<WinUsbPort>(RealWinUsbApi());
    auto present = std::make_shared<bool>(port->FindFirstDevice().has_value());
    return [port, present, onChange = std::move(onChange)] {
        const bool now = port->FindFirstDevice().has_value();
        if (now != *present) {
            *present = now;
            onChange(now ? UsbDeviceEvent::Arrived : UsbDeviceEvent::Removed);
        }
    };
}

const char* AccessDeniedText() {
    return "the tablet could not be opened: access denied. WinUSB lets one program at a time\n"
           "open the tablet: close the other program (a second signing program?) and try "
           "again\n";
}

const char* BusyText() {
    return AccessDeniedText();
}

const char* OpenFailedText() {
    return "open failed: the tablet's interface is there but WinUSB could not open it. Unplug\n"
           "the tablet and plug it in again; if that does not help, install\n"
           "res\\windows\\ondrel-tablet-winusb.inf again (pnputil /add-driver ... /install) and\n"
           "look at the device in Device Manager\n";
}

}  // namespace ondrel
