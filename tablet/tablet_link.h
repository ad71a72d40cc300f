#pragma once

// Finding, opening, identifying and setting up the tablet over a UsbPort, and recognising the
// tablet's plug and unplug notifications. Everything here runs on the window thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "tablet/tablet_protocol.h"
#include "tablet/usb_port.h"

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

// The 32-byte device-interface record of the tablet's class, as the notifications carry it.
inline constexpr std::size_t NOTIFICATION_RECORD_SIZE = 32;
std::array<std::uint8_t, NOTIFICATION_RECORD_SIZE> MakeTabletNotificationRecord();

// True when the record is a device-interface record (type 5, at least 28 bytes) of the tablet's
// class. Never reads past the record.
bool IsTabletInterface(std::span<const std::uint8_t> record);

}  // namespace ondrel
