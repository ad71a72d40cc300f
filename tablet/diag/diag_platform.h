#pragma once

// What the diagnostic program says about the machine's own USB stack when the tablet cannot be
// opened: the texts that differ between libusb (Linux) and WinUSB (Windows), each with its fix.

#include <functional>
#include <string>

#include "tablet/usb/usb_port.h"

namespace ondrel {

// When no device of the tablet's class was found: the lines to print (ending in a newline) and
// the exit status. A tablet that is plugged in without the driver that publishes the class is
// told apart from no tablet at all where the platform can see it.
struct NoTabletExplanation {
    std::string text;
    int exitStatus;
};
NoTabletExplanation ExplainNoTablet(int noTabletStatus, int noDriverStatus);

// Where the USB port reports no plugging of its own (WinUSB: Windows tells windows, and this
// program has none), a look at the present interfaces of the tablet's class, to be run every
// second; it hands each change to `onChange` as an arrival or a removal. Empty elsewhere.
std::function<void()> MakePresenceCheck(UsbDeviceEventHandler onChange);

// The open was refused for lack of rights, because another program holds the tablet, or failed
// otherwise; each text ends in a newline.
const char* AccessDeniedText();
const char* BusyText();
const char* OpenFailedText();

}  // namespace ondrel
