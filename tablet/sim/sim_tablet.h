#pragma once

// A simulated tablet behind the UsbPort interface, for tests and demonstrations. It plays a
// device that can be plugged in (with any vendor), unplugged, given a parameter reply and fed
// reports; the connection and the reader run over it exactly as over libusb. Thread-safe: the
// script (or a test) drives it from one thread while the window thread opens it and a reader
// reads it.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "tablet/protocol/tablet_protocol.h"
#include "tablet/usb/usb_port.h"

namespace ondrel {

class SimScriptRunner;

using PenReportBytes = std::array<std::uint8_t, PEN_REPORT_SIZE>;

class SimTablet final : public UsbPort {
  public:
    SimTablet();
    ~SimTablet() override;

    // Reads a script (file or FIFO) as its lines arrive. The lines up to the first `sleep`,
    // `wait`, `report` or `stroke` run before this returns, so a script that begins with `plug` has
    // the tablet present when it is first looked for; the rest runs on a thread of its own.
    void RunScript(const std::string& path);

    // The device arrives (arrival notification). Plugging while plugged is a replug.
    void Plug(std::uint16_t vendorId = TABLET_VENDOR_ID);
    // The device leaves: pending reports are dropped, reads in flight fail (removal notification).
    void Unplug();
    // The parameter reply for later opens.
    void SetParamReply(std::vector<std::uint8_t> reply);
    // The address of the first endpoint of interface 0 for later opens (0x81, IN, unless set;
    // bit 7 clear makes it an OUT endpoint).
    void SetPipeAddress(std::uint8_t endpointAddress);
    // Queues one report for the next read and returns at once. A `length` below 8 makes a short
    // transfer that delivers only the first `length` bytes.
    void QueueReport(const PenReportBytes& report, std::size_t length = PEN_REPORT_SIZE);
    // Queues one report and waits until a read took it; false when the device left first or
    // the simulation is halted.
    bool Report(const PenReportBytes& report);
    // Ends every wait of Report and WaitUntilSigning; used when the simulation goes away.
    void Halt();
    // The window keeps strokes from now on (true) or no longer (false); false at first.
    void SetSigningMode(bool signing) override;
    // Returns once the window is in signing mode: at once when it is; false when the simulation
    // is halted first.
    bool WaitUntilSigning();

    // Observers for tests and benchmarks.
    std::vector<UsbSetupPacket> setupLog() const;
    int openDevices() const;   // opened and not yet closed
    int readsStarted() const;  // Read calls that reached the device
    int readsPending() const;  // Read calls waiting right now
    int reportsRead() const;   // reports taken by reads
    // Waits until `predicate` holds over the counters, or `limit` passes; true if it held.
    bool WaitFor(const std::function<bool(const SimTablet&)>& predicate,
                 std::chrono::milliseconds limit);
    // Called on the reading thread for each report a read takes, just before Read returns.
    void SetReadObserver(std::function<void(const PenReportBytes&)> observer);

    std::vector<UsbDeviceInfo> ListDevices() override;
    std::optional<std::string> FindFirstDevice() override;
    OpenResult Open(const std::string& path) override;
    void Subscribe(UsbDeviceEventHandler handler) override;
    void Unsubscribe() override;

    struct State;  // shared with the devices, which may outlive the port

  private:
    void Notify(UsbDeviceEvent event);

    std::shared_ptr<State> state_;
    std::mutex handlerMutex_;
    UsbDeviceEventHandler handler_;
    std::unique_ptr<SimScriptRunner> script_;
};

}  // namespace ondrel
