#pragma once

// The open tablet, as the signing window holds it: the link to the device, the extent read at
// the last successful open, and the most recent reader. Everything here runs on the window
// thread; the reader hands reports to the window through TabletWindow::OnTabletReport.

#include <cstdint>
#include <memory>

#include "tablet/device_change.h"
#include "tablet/protocol/tablet_protocol.h"
#include "tablet/tablet_link.h"
#include "tablet/tablet_window.h"
#include "tablet/usb/usb_port.h"

namespace ondrel {

class TabletConnection final : public DeviceEventSink {
  public:
    // Chooses the USB implementation from the environment: the simulated tablet when
    // ONDREL_TABLET_SIM names a script, the machine's (libusb, or WinUSB on Windows) otherwise.
    // Must be created on the window thread.
    explicit TabletConnection(TabletWindow& window);
    // The same over a given USB implementation (tests, the diagnostic program).
    TabletConnection(TabletWindow& window, std::unique_ptr<UsbPort> port);
    ~TabletConnection() override;  // same as Shutdown()
    TabletConnection(const TabletConnection&) = delete;
    TabletConnection& operator=(const TabletConnection&) = delete;

    // Opens the tablet; on success shows "设备已连接" and starts a reader. Returns the result
    // of the open. While a tablet is open it does nothing and returns true: an arrival then
    // leaves the open tablet and its reader alone.
    bool ConnectTablet();
    // Delivers the port's arrivals and removals of the tablet to OnDeviceEvent from now on.
    // The WinUSB port has none: there the signing window's own device notifications reach
    // the connection (ui/window_device_notifications.h).
    void RegisterTabletNotifications();
    // From now on the open tablet's handle (where its device has one) is watched through
    // `watcher`, the window's handle notifications: from each open (the one under way too)
    // until the tablet is closed for good. Without it a held handle vetoes disabling the tablet
    // or updating its driver while the program runs.
    void WatchDeviceHandles(DeviceHandleWatcher watcher);
    // An arrival of the tablet's class connects; a removal shows "设备未连接", asks the reader to
    // quit and closes the tablet.
    void OnDeviceEvent(UsbDeviceEvent event) override;
    // About the watched handle (any other is ignored): a removal request closes the tablet the
    // same way but keeps watching, so that a failed removal opens it again; a removal under way
    // or done ends the watch.
    void OnDeviceHandleEvent(std::uintptr_t handle, DeviceHandleEvent event) override;
    // Closes the open tablet; false when none was open.
    bool CloseTablet();
    // Tells the USB side whether the window keeps strokes now (signing mode); the simulated
    // tablet's `wait signing` waits for it.
    void SetSigningMode(bool signing);
    // Teardown: stops the reader (never waiting on a reader that waits for the window), then
    // closes the tablet. Safe to call more than once.
    void Shutdown();

    bool isOpen() const;
    TabletExtent extent() const;
    // Why the last open ended as it did (the diagnostic program explains it).
    OpenOutcome lastOpenOutcome() const;
    // Readers started so far, and those whose thread has not ended yet.
    int readersStarted() const;
    int readersRunning() const;

  private:
    // Shows "设备未连接", asks the reader to quit and closes the tablet.
    void CloseForRemoval();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ondrel
