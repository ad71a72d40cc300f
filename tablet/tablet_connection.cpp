#include "tablet/tablet_connection.h"

#include <algorithm>
#include <optional>
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

    // Arrivals and removals, from the port's thread to OnDeviceChange on the window thread.
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
        *d.port, [this](std::uint32_t eventType, std::span<const std::uint8_t> record) {
            OnDeviceChange(eventType, record.data(), record.size());
        });
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

int TabletConnection::OnDeviceChange(std::uint32_t eventType, const std::uint8_t* record,
                                     std::size_t recordSize) {
    Impl& d = *impl_;
    if (record == nullptr) {
        return -1;
    }
    const std::span<const std::uint8_t> bytes(record, recordSize);
    if (d.shutDown) {
        return 0;
    }
    if (const std::optional<std::uintptr_t> handle = HandleInRecord(bytes)) {
        if (d.watchedHandle != 0 && *handle == d.watchedHandle) {
            OnTabletHandleChange(eventType);
        }
        return 0;
    }
    if (!IsTabletInterface(bytes)) {
        return 0;
    }
    if (eventType == DEVICE_ARRIVAL) {
        qCInfo(lcTablet) << "arrival"
                         << (d.link.isOpen ? "(a tablet is open already: ignored)" : "");
        ConnectTablet();
    } else if (eventType == DEVICE_REMOVE_COMPLETE) {
        qCInfo(lcTablet) << "removal: closing the tablet";
        d.EndHandleWatch();
        CloseForRemoval();
    }
    return 0;
}

void TabletConnection::SetSigningMode(bool signing) {
    impl_->port->SetSigningMode(signing);
}

void TabletConnection::OnTabletHandleChange(std::uint32_t eventType) {
    Impl& d = *impl_;
    if (eventType == DEVICE_QUERY_REMOVE) {
        // The handle must go for the removal to go ahead; the watch stays for its outcome.
        qCInfo(lcTablet) << "removal requested: closing the tablet";
        CloseForRemoval();
    } else if (eventType == DEVICE_QUERY_REMOVE_FAILED) {
        qCInfo(lcTablet) << "the removal failed"
                         << (d.link.isOpen ? "(the tablet is still open)" : ": opening it again");
        if (!d.link.isOpen) {
            d.EndHandleWatch();
            ConnectTablet();  // watches the new handle
        }
    } else if (eventType == DEVICE_REMOVE_PENDING || eventType == DEVICE_REMOVE_COMPLETE) {
        qCInfo(lcTablet) << "the tablet is being removed";
        d.EndHandleWatch();
        if (d.link.isOpen) {
            CloseForRemoval();
        }
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
