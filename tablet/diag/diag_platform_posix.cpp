#include <cstdio>

#include "tablet/diag/diag_platform.h"
#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {

NoTabletExplanation ExplainNoTablet(int noTabletStatus, int) {
    char text[128];
    std::snprintf(text, sizeof text, "no tablet: no USB device with vendor id %04x is connected\n",
                  TABLET_VENDOR_ID);
    return {text, noTabletStatus};
}

std::function<void()> MakePresenceCheck(UsbDeviceEventHandler) {
    return {};  // libusb's hot-plug events, or its own polling, reach the connection
}

const char* AccessDeniedText() {
    return "permission denied: this user may not open the tablet. Install the udev rule\n"
           "  sudo cp res/udev/70-ondrel-signpad.rules /etc/udev/rules.d/\n"
           "  sudo udevadm control --reload && sudo udevadm trigger\n"
           "then unplug the tablet and plug it in again (see README, \"Tablet access\")\n";
}

const char* BusyText() {
    return "the tablet is busy: another program (a second signing program?) has claimed it;"
           " close that program and try again\n";
}

const char* OpenFailedText() {
    return "the tablet could not be opened\n";
}

}  // namespace ondrel
