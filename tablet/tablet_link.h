#pragma once

// Finding, opening, identifying and setting up the tablet over a UsbPort. Everything here runs
// on the window thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "tablet/protocol/tablet_protocol.h"
#include "tablet/usb/usb_port.h"

namespace ondrel {

// The open tablet as the signing window holds it. `device` stands for the platform's interface
// and file handles: the link releases it through CloseTablet, and a reader keeps the object
// (closed by then) alive until it has finished with it.
struct TabletLink {
    bool isOpen = false;
    std::shared_ptr<UsbDevice> device;
    std::string devicePath;
    UsbPipe pipeInfo;
};

// Why an open ended; only Opened leaves the link open.
enum class OpenOutcome { Opened, NoDevice, AccessDenied, Busy, WrongVendor, NoPipe, Failed };

// Finds the first device of the tablet's class, opens it, checks the vendor, finds the first
// pipe and runs the set-up conversation, storing the extent. Every failure releases what this
// call took; `extent` changes only on success. A link that is still open is closed first.
OpenOutcome OpenTablet(UsbPort& port, TabletLink& link, TabletExtent& extent);

// Releases the open tablet; false when none was open.
bool CloseTablet(TabletLink& link);

}  // namespace ondrel
