#pragma once

// The one narrow seam between the tablet's logic and a USB stack. The connection and the reader
// are written against these two classes only; libusb (Linux), WinUSB (Windows) and the simulated
// tablet implement them.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {

// The first pipe of interface 0, alternate setting 0.
struct UsbPipe {
    std::uint8_t pipeId = 0;    // endpoint address
    std::uint8_t pipeType = 0;  // USB transfer type: 2 bulk, 3 interrupt
    std::uint16_t maximumPacketSize = 0;
};

enum class ReadOutcome {
    Completed,   // data arrived; `length` bytes were written to the start of the buffer
    TimedOut,    // nothing within the limit; the transfer is over, nothing was written
    Cancelled,   // CancelRead or Close ended it; nothing was written
    Failed,      // the transfer ended in an error (device gone, I/O error); nothing was written
    NotStarted,  // the device is closed or the transfer could not be submitted
};

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::NotStarted;
    std::size_t length = 0;
};

// One opened device. Every call but CancelRead comes from one thread at a time (the window
// thread while it opens, the reader afterwards); CancelRead and Close may come from the window
// thread while the reader is inside Read.
class UsbDevice {
  public:
    virtual ~UsbDevice() = default;

    // The standard 18-byte device descriptor read from the device; bytes read, negative on error.
    virtual int GetDeviceDescriptor(std::span<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> out) = 0;
    virtual bool QueryFirstPipe(UsbPipe& pipe) = 0;
    // Sends exactly these setup bytes; at most data.size() bytes of the reply are written to
    // data. Returns the bytes written, negative on error.
    virtual int ControlTransfer(const UsbSetupPacket& setup, std::span<std::uint8_t> data) = 0;
    // Reads one report of PEN_REPORT_SIZE bytes from the pipe within `limit`. When Read returns,
    // the transfer is over: a cancelled or timed-out transfer never writes into `buffer` later.
    virtual ReadResult Read(std::uint8_t pipeId, std::span<std::uint8_t, PEN_REPORT_SIZE> buffer,
                            std::chrono::milliseconds limit) = 0;
    // Ends a pending Read at once (it returns Cancelled). No effect when none is pending.
    virtual void CancelRead() = 0;
    // Cancels a pending read, waits until its transfer is over, then releases the device. Later
    // calls fail (Read returns NotStarted). Idempotent.
    virtual void Close() = 0;
    // The handle the platform's device notifications name this device by while it is open (the
    // device's file handle on Windows); 0 where there is none, and once closed.
    virtual std::uintptr_t notificationHandle() { return 0; }
};

enum class OpenStatus { Opened, NoDevice, AccessDenied, Busy, Failed };

struct OpenResult {
    OpenStatus status = OpenStatus::Failed;
    std::shared_ptr<UsbDevice> device;  // set exactly when status is Opened
};

// A device of the tablet's class as the port lists it.
struct UsbDeviceInfo {
    std::string path;  // what Open takes
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string description;  // bus and address, or the simulation's name
};

// A device of the tablet's class came or went.
enum class UsbDeviceEvent { Arrived, Removed };
using UsbDeviceEventHandler = std::function<void(UsbDeviceEvent event)>;

class UsbPort {
  public:
    virtual ~UsbPort() = default;

    // Present devices of the tablet's class, in enumeration order.
    virtual std::vector<UsbDeviceInfo> ListDevices() = 0;
    // The path of the first present device of the tablet's class.
    virtual std::optional<std::string> FindFirstDevice() = 0;
    // Opens the device and claims interface 0.
    virtual OpenResult Open(const std::string& path) = 0;
    // From now on calls `handler` (on a thread of the port's own) at each arrival and removal;
    // replaces an earlier handler. A port whose platform tells windows instead (WinUSB) never
    // calls it.
    virtual void Subscribe(UsbDeviceEventHandler handler) = 0;
    // No call of the handler is in progress or starts after this returns.
    virtual void Unsubscribe() = 0;
    // Whether the window now keeps the pen's strokes (the signing window in signing mode). A
    // real device has no use for it; a simulated one can hold its strokes back until then.
    virtual void SetSigningMode(bool /*signing*/) {}
};

}  // namespace ondrel
