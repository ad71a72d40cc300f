#include "tablet/tablet_connection.h"

#include <algorithm>
#include <vector>

#include "tablet/port_device_notifications.h"
#include "tablet/report_reader.h"
#include "tablet/tablet_log.h"
#include "tablet/usb_port_factory.h"
#include "tablet/window_hand_over.h"

namespace ondrel {

struct TabletConnection::Impl {
    Impl(TabletWindow& tabletWindow, std::unique_ptr<UsbPort> usbPort)
        : window(tabletWindow), port(std::move(usbPort)), handOver(tabletWindow) {}

    TabletWindow& window;
    std::unique_ptr<UsbPort> port;
    TabletLink link;
    TabletExtent extent;
    OpenOutcome lastOpenOutcome = OpenOutcome::NoDevice;
    WindowHandOver handOver;

    // The most recent reader, and every reader whose thread has not been joined yet.
    std::shared_ptr<ReaderThread> readerThread;
    std::vector<std::shared_ptr<ReaderThread>> readers;
    int readersStarted = 0;
    bool shutDown = false;

    // Arrivals and removals, from the port's thread to OnDeviceEvent on the window thread.
    std::unique_ptr<PortDeviceNotifications> notifications;

    // The window's notifications about the open tablet's handle, and the handle they are about
    // (kept after a removal request has closed it, until the removal's outcome is known).
    DeviceHandleWatcher handleWatcher;
    std::unique_ptr<DeviceHandleWatch> handleWatch;
    std::uintptr_t watchedHandle = 0;

    void WatchOpenDevice() {
        const std::uintptr_t handle =
            handleWatcher && link.device ? link.device->notificationHandle() : 0;
        EndHandleWatch();
        if (handle != 0) {
            handleWatch = handleWatcher(handle);
            watchedHandle = handle;
        }
    }
    void EndHandleWatch() {
        handleWatch.reset();
        watchedHandle = 0;
    }

    // Joins the readers that have ended; none of them can be waiting for the window thread.
    void ReapFinishedReaders() {
        std::erase_if(readers, [](const std::shared_ptr<ReaderThread>& reader) {
            if (!reader->finished()) {
                return false;
            }
            reader->Join();
            return true;
        });
    }
};

TabletConnection::TabletConnection(TabletWindow& window)
    : TabletConnection(window, MakeUsbPort()) {}

TabletConnection::TabletConnection(TabletWindow& window, std::unique_ptr<UsbPort> port)
    : impl_(std::make_unique<Impl>(window, std::move(port))) {}

TabletConnection::~TabletConnection() {
    Shutdown();
}

bool TabletConnection::ConnectTablet() {
    Impl& d = *impl_;
    if (d.shutDown) {
        return false;
    }
    if (d.link.isOpen) {
        return true;
    }
    d.lastOpenOutcome = OpenTablet(*d.port, d.link, d.extent);
    qCInfo(lcTablet) << "open:" << DescribeOpenOutcome(d.lastOpenOutcome);
    if (d.lastOpenOutcome != OpenOutcome::Opened) {
        return false;
    }
    qCInfo(lcTablet) << "extent" << d.extent.maxX << "x" << d.extent.maxY;
    d.window.SetStatusText(STATUS_CONNECTED);
    d.ReapFinishedReaders();
    if (std::shared_ptr<ReaderThread> reader =
            StartReader(d.link.device, d.link.pipeInfo.pipeId, d.handOver)) {
        d.readers.push_back(reader);
        d.readerThread = std::move(reader);
        ++d.readersStarted;
        qCInfo(lcTablet) << "reader started";
    } else {
        qCWarning(lcTablet) << "the reader thread could not be started";
    }
    d.WatchOpenDevice();
    return true;
}

void TabletConnection::RegisterTabletNotifications() {
    Impl& d = *impl_;
    if (d.shutDown) {
        return;
    }
    d.notifications = std::make_unique<PortDeviceNotifications>(
        *d.port, [this](UsbDeviceEvent event) { OnDeviceEvent(event); });
}

void TabletConnection::WatchDeviceHandles(DeviceHandleWatcher watcher) {
    Impl& d = *impl_;
    if (d.shutDown) {
        return;
    }
    d.handleWatcher = std::move(watcher);
    if (d.link.isOpen) {
        d.WatchOpenDevice();
    }
}

void TabletConnection::OnDeviceEvent(UsbDeviceEvent event) {
    Impl& d = *impl_;
    if (d.shutDown) {
        return;
    }
    if (event == UsbDeviceEvent::Arrived) {
        qCInfo(lcTablet) << "arrival"
                         << (d.link.isOpen ? "(a tablet is open already: ignored)" : "");
        ConnectTablet();
    } else {
        qCInfo(lcTablet) << "removal: closing the tablet";
        d.EndHandleWatch();
        CloseForRemoval();
    }
}

void TabletConnection::SetSigningMode(bool signing) {
    impl_->port->SetSigningMode(signing);
}

void TabletConnection::OnDeviceHandleEvent(std::uintptr_t handle, DeviceHandleEvent event) {
    Impl& d = *impl_;
    if (d.shutDown || d.watchedHandle == 0 || handle != d.watchedHandle) {
        return;
    }
    switch (event) {
        case DeviceHandleEvent::RemovalRequested:
            // The handle must go for the removal to go ahead; the watch stays for its outcome.
            qCInfo(lcTablet) << "removal requested: closing the tablet";
            CloseForRemoval();
            break;
        case DeviceHandleEvent::RemovalFailed:
            qCInfo(lcTablet) << "the removal failed"
                             << (d.link.isOpen ? "(the tablet is still open)"
                                               : ": opening it again");
            if (!d.link.isOpen) {
                d.EndHandleWatch();
                ConnectTablet();  // watches the new handle
            }
            break;
        case DeviceHandleEvent::RemovalPending:
        case DeviceHandleEvent::Removed:
            qCInfo(lcTablet) << "the tablet is being removed";
            d.EndHandleWatch();
            if (d.link.isOpen) {
                CloseForRemoval();
            }
            break;
    }
}

void TabletConnection::CloseForRemoval() {
    Impl& d = *impl_;
    d.window.SetStatusText(STATUS_DISCONNECTED);
    if (d.readerThread) {
        d.readerThread->RequestQuit();
    }
    // Closing cancels the reader's pending read and waits for its transfer to end (not for the
    // reader), so the reader is done with the device before it is released.
    CloseTablet();
    d.ReapFinishedReaders();
}

bool TabletConnection::CloseTablet() {
    return ondrel::CloseTablet(impl_->link);
}

void TabletConnection::Shutdown() {
    Impl& d = *impl_;
    if (d.shutDown) {
        return;
    }
    d.shutDown = true;
    d.notifications.reset();
    d.EndHandleWatch();
    d.handleWatcher = nullptr;
    // Release any reader waiting in its hand-over first: from here on no reader waits for
    // this thread, so waiting for the readers below cannot deadlock.
    d.handOver.Abandon();
    for (const std::shared_ptr<ReaderThread>& reader : d.readers) {
        reader->Stop();
    }
    CloseTablet();
    for (const std::shared_ptr<ReaderThread>& reader : d.readers) {
        reader->Join();
    }
    d.readers.clear();
    d.readerThread.reset();
}

bool TabletConnection::isOpen() const {
    return impl_->link.isOpen;
}

TabletExtent TabletConnection::extent() const {
    return impl_->extent;
}

OpenOutcome TabletConnection::lastOpenOutcome() const {
    return impl_->lastOpenOutcome;
}

int TabletConnection::readersStarted() const {
    return impl_->readersStarted;
}

int TabletConnection::readersRunning() const {
    return static_cast<int>(std::count_if(
        impl_->readers.begin(), impl_->readers.end(),
        [](const std::shared_ptr<ReaderThread>& reader) { return !reader->finished(); }));
}

}  // namespace ondrel
