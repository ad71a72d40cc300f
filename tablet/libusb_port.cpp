#include "tablet/libusb_port.h"

#include <fcntl.h>
#include <libusb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "tablet/tablet_connection.h"

#ifdef __linux__
#include <linux/usbdevice_fs.h>
#endif

namespace ondrel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds POLL_INTERVAL{500};
// No time limit of the system's own applies to the set-up requests; this only keeps a device
// that never answers from holding the window thread for ever (WinUSB's default is 5 s too).
constexpr std::chrono::milliseconds CONTROL_LIMIT{5000};

std::string PathOf(libusb_device* device) {
    std::array<char, 32> path;
    std::snprintf(path.data(), path.size(), "usb:%03u:%03u", libusb_get_bus_number(device),
                  libusb_get_device_address(device));
    return path.data();
}

// Devices with the tablet's vendor id, in libusb's order; each one referenced.
std::vector<libusb_device*> TabletDevices(libusb_context* context) {
    std::vector<libusb_device*> found;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list[i], &descriptor) == 0 &&
            descriptor.idVendor == TABLET_VENDOR_ID) {
            found.push_back(libusb_ref_device(list[i]));
        }
    }
    if (count >= 0) {
        libusb_free_device_list(list, 1);
    }
    return found;
}

void Unref(std::vector<libusb_device*>& devices) {
    for (libusb_device* device : devices) {
        libusb_unref_device(device);
    }
    devices.clear();
}

OpenStatus FromLibusbError(int error) {
    switch (error) {
        case LIBUSB_ERROR_ACCESS:
            return OpenStatus::AccessDenied;
        case LIBUSB_ERROR_BUSY:
            return OpenStatus::Busy;
        case LIBUSB_ERROR_NO_DEVICE:
        case LIBUSB_ERROR_NOT_FOUND:
            return OpenStatus::NoDevice;
        default:
            return OpenStatus::Failed;
    }
}

}  // namespace

struct LibusbPort::Context {
    libusb_context* usb = nullptr;
    bool hotplug = false;
    libusb_hotplug_callback_handle hotplugHandle{};
    std::atomic<bool> stopping{false};
    std::thread events;

    std::mutex handlerMutex;
    UsbDeviceEventHandler handler;
    std::set<std::string> polledDevices;  // where there is no hot-plug support

    ~Context() {
        if (usb == nullptr) {
            return;
        }
        stopping = true;
        if (hotplug) {
            libusb_hotplug_deregister_callback(usb, hotplugHandle);
        }
        libusb_interrupt_event_handler(usb);
        if (events.joinable()) {
            events.join();
        }
        libusb_exit(usb);
    }

    void Deliver(std::uint32_t eventType) {
        std::lock_guard lock(handlerMutex);
        if (handler) {
            handler(eventType);
        }
    }

    std::set<std::string> PresentPaths() {
        std::vector<libusb_device*> devices = TabletDevices(usb);
        std::set<std::string> paths;
        for (libusb_device* device : devices) {
            paths.insert(PathOf(device));
        }
        Unref(devices);
        return paths;
    }

    void Poll() {
        const std::set<std::string> present = PresentPaths();
        std::lock_guard lock(handlerMutex);
        for (const std::string& path : polledDevices) {
            if (!present.contains(path) && handler) {
                handler(DBT_DEVICEREMOVECOMPLETE);
            }
        }
        for (const std::string& path : present) {
            if (!polledDevices.contains(path) && handler) {
                handler(DBT_DEVICEARRIVAL);
            }
        }
        polledDevices = present;
    }

    void HandleEvents() {
        auto nextPoll = Clock::now() + POLL_INTERVAL;
        while (!stopping) {
            timeval limit{0, 200000};
            libusb_handle_events_timeout_completed(usb, &limit, nullptr);
            if (!hotplug && Clock::now() >= nextPoll) {
                Poll();
                nextPoll = Clock::now() + POLL_INTERVAL;
            }
        }
    }

    // No USB I/O here: the event only travels on to the window thread.
    static int LIBUSB_CALL OnHotplug(libusb_context*, libusb_device*, libusb_hotplug_event event,
                                     void* self) {
        static_cast<Context*>(self)->Deliver(event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED
                                                 ? DBT_DEVICEARRIVAL
                                                 : DBT_DEVICEREMOVECOMPLETE);
        return 0;
    }
};

namespace {

class LibusbDevice final : public UsbDevice {
  public:
    LibusbDevice(std::shared_ptr<LibusbPort::Context> context, libusb_device* device,
                 libusb_device_handle* handle, libusb_transfer* transfer)
        : context_(std::move(context)), device_(device), handle_(handle), transfer_(transfer) {}

    ~LibusbDevice() override {
        Close();
        libusb_free_transfer(transfer_);
        libusb_unref_device(device_);
    }

    int GetDeviceDescriptor(std::span<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> out) override {
        libusb_device_handle* handle = OpenHandle();
        if (handle == nullptr) {
            return LIBUSB_ERROR_NO_DEVICE;
        }
        // A real request to the device, not libusb's cached copy.
        return libusb_get_descriptor(handle, LIBUSB_DT_DEVICE, 0, out.data(),
                                     static_cast<int>(out.size()));
    }

    bool QueryFirstPipe(UsbPipe& pipe) override {
        if (OpenHandle() == nullptr) {
            return false;
        }
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_active_config_descriptor(device_, &config) != 0) {
            return false;
        }
        bool found = false;
        if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
            const libusb_interface_descriptor& setting = config->interface[0].altsetting[0];
            if (setting.bNumEndpoints > 0) {
                const libusb_endpoint_descriptor& endpoint = setting.endpoint[0];
                pipe.pipeId = endpoint.bEndpointAddress;
                pipe.pipeType = endpoint.bmAttributes & 0x03;
                pipe.maximumPacketSize = endpoint.wMaxPacketSize;
                found = true;
            }
        }
        libusb_free_config_descriptor(config);
        if (found) {
            std::lock_guard lock(mutex_);
            pipe_ = pipe;
            readBuffer_.assign(std::max<std::size_t>(PEN_REPORT_SIZE, pipe.maximumPacketSize), 0);
        }
        return found;
    }

    int ControlTransfer(const UsbSetupPacket& setup, std::span<std::uint8_t> data) override;

    ReadResult Read(std::uint8_t pipeId, std::span<std::uint8_t, PEN_REPORT_SIZE> buffer,
                    std::chrono::milliseconds limit) override {
        std::unique_lock lock(mutex_);
        if (closed_ || readBuffer_.empty()) {
            return {ReadOutcome::NotStarted, 0};
        }
        // Where the endpoint's packets are larger than a report, read a whole packet so that
        // libusb reports no overflow; the first 8 bytes are the report.
        const int length =
            static_cast<int>(pipeId == pipe_.pipeId ? readBuffer_.size() : PEN_REPORT_SIZE);
        if (pipe_.pipeType == LIBUSB_TRANSFER_TYPE_BULK) {
            libusb_fill_bulk_transfer(transfer_, handle_, pipeId, readBuffer_.data(), length,
                                      &LibusbDevice::OnTransferDone, this, 0);
        } else {
            libusb_fill_interrupt_transfer(transfer_, handle_, pipeId, readBuffer_.data(), length,
                                           &LibusbDevice::OnTransferDone, this, 0);
        }
        cancelRequested_ = false;
        const int submitted = libusb_submit_transfer(transfer_);
        if (submitted != 0) {
            return {
                submitted == LIBUSB_ERROR_NO_DEVICE ? ReadOutcome::Failed : ReadOutcome::NotStarted,
                0};
        }
        inFlight_ = true;
        reading_ = true;
        const bool ended = wakeUp_.wait_until(
            lock, Clock::now() + limit, [&] { return !inFlight_ || cancelRequested_ || closed_; });
        if (inFlight_) {
            // Cancel, and wait until libusb has given the transfer back: only then can no late
            // completion write into the transfer's buffer.
            lock.unlock();
            libusb_cancel_transfer(transfer_);
            lock.lock();
            wakeUp_.wait(lock, [&] { return !inFlight_; });
        }
        ReadResult result{ReadOutcome::Failed, 0};
        switch (transferStatus_) {
            case LIBUSB_TRANSFER_COMPLETED: {
                const std::size_t n = std::min<std::size_t>(
                    static_cast<std::size_t>(transferLength_), PEN_REPORT_SIZE);
                std::copy_n(readBuffer_.begin(), n, buffer.begin());
                result = {ReadOutcome::Completed, n};
                break;
            }
            case LIBUSB_TRANSFER_CANCELLED:
            case LIBUSB_TRANSFER_TIMED_OUT:
                result = {ended ? ReadOutcome::Cancelled : ReadOutcome::TimedOut, 0};
                break;
            default:
                break;
        }
        reading_ = false;
        wakeUp_.notify_all();
        return result;
    }

    void CancelRead() override {
        std::lock_guard lock(mutex_);
        if (inFlight_) {
            cancelRequested_ = true;
            wakeUp_.notify_all();
        }
    }

    void Close() override {
        libusb_device_handle* handle = nullptr;
        int usbfs = -1;
        {
            std::unique_lock lock(mutex_);
            if (closed_) {
                return;
            }
            closed_ = true;
            wakeUp_.notify_all();
            wakeUp_.wait(lock, [&] { return !reading_; });
            handle = std::exchange(handle_, nullptr);
            usbfs = std::exchange(usbfsFd_, -1);
        }
        libusb_release_interface(handle, 0);  // lets a kernel driver that was detached return
        libusb_close(handle);
        if (usbfs >= 0) {
            close(usbfs);
        }
    }

  private:
    libusb_device_handle* OpenHandle() {
        std::lock_guard lock(mutex_);
        return closed_ ? nullptr : handle_;
    }

    static void LIBUSB_CALL OnTransferDone(libusb_transfer* transfer) {
        auto* self = static_cast<LibusbDevice*>(transfer->user_data);
        std::lock_guard lock(self->mutex_);
        self->transferStatus_ = transfer->status;
        self->transferLength_ = transfer->actual_length;
        self->inFlight_ = false;
        self->wakeUp_.notify_all();
    }

    std::shared_ptr<LibusbPort::Context> context_;
    libusb_device* const device_;
    libusb_device_handle* handle_;
    libusb_transfer* const transfer_;

    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool closed_ = false;
    bool reading_ = false;
    bool inFlight_ = false;
    bool cancelRequested_ = false;
    int transferStatus_ = LIBUSB_TRANSFER_ERROR;
    int transferLength_ = 0;
    UsbPipe pipe_;
    std::vector<std::uint8_t> readBuffer_;
    int usbfsFd_ = -1;  // a second descriptor of the device node, for the set-up requests
};

#ifdef __linux__
// libusb and the kernel's synchronous control call refuse a wLength above 4096, yet the tablet
// must see 0x5678. So the request goes out as an asynchronous control URB through usbfs, on a
// descriptor of our own (libusb never reaps it), with a buffer as large as wLength asks; at most
// data.size() bytes of the reply are kept.
int LibusbDevice::ControlTransfer(const UsbSetupPacket& setup, std::span<std::uint8_t> data) {
    int fd = -1;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return -ENODEV;
        }
        if (usbfsFd_ < 0) {
            std::array<char, 32> node;
            std::snprintf(node.data(), node.size(), "/dev/bus/usb/%03u/%03u",
                          libusb_get_bus_number(device_), libusb_get_device_address(device_));
            usbfsFd_ = open(node.data(), O_RDWR | O_CLOEXEC);
            if (usbfsFd_ < 0) {
                return -errno;
            }
        }
        fd = usbfsFd_;
    }
    const std::size_t wLength = setup[6] | static_cast<std::size_t>(setup[7]) << 8;
    std::vector<std::uint8_t> urbBuffer(setup.size() + wLength, 0);
    std::copy(setup.begin(), setup.end(), urbBuffer.begin());

    usbdevfs_urb urb{};
    urb.type = USBDEVFS_URB_TYPE_CONTROL;
    urb.endpoint = 0;
    urb.buffer = urbBuffer.data();
    urb.buffer_length = static_cast<int>(urbBuffer.size());
    if (ioctl(fd, USBDEVFS_SUBMITURB, &urb) < 0) {
        return -errno;
    }
    const auto deadline = Clock::now() + CONTROL_LIMIT;
    for (;;) {
        usbdevfs_urb* done = nullptr;
        if (ioctl(fd, USBDEVFS_REAPURBNDELAY, &done) == 0) {
            if (done == &urb) {
                break;
            }
            continue;
        }
        const int error = errno;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (error != EAGAIN || left.count() <= 0) {
            // Take the URB back from the kernel before its buffer goes away.
            ioctl(fd, USBDEVFS_DISCARDURB, &urb);
            ioctl(fd, USBDEVFS_REAPURB, &done);
            return error == EAGAIN ? -ETIMEDOUT : -error;
        }
        pollfd reapable{fd, POLLOUT, 0};
        poll(&reapable, 1, static_cast<int>(left.count()) + 1);
    }
    if (urb.status != 0) {
        return urb.status;
    }
    const std::size_t n = std::min(static_cast<std::size_t>(urb.actual_length), data.size());
    std::copy_n(urbBuffer.begin() + static_cast<std::ptrdiff_t>(setup.size()), n, data.begin());
    return static_cast<int>(n);
}
#else
// A Windows build talks WinUSB, which sends the setup packet as given; libusb cannot.
int LibusbDevice::ControlTransfer(const UsbSetupPacket&, std::span<std::uint8_t>) {
    return LIBUSB_ERROR_NOT_SUPPORTED;
}
#endif

}  // namespace

std::unique_ptr<LibusbPort> LibusbPort::Create() {
    auto context = std::make_shared<Context>();
    if (libusb_init(&context->usb) != 0) {
        context->usb = nullptr;
        return nullptr;
    }
    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) != 0) {
        context->hotplug =
            libusb_hotplug_register_callback(
                context->usb,
                LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT,
                LIBUSB_HOTPLUG_NO_FLAGS, TABLET_VENDOR_ID, LIBUSB_HOTPLUG_MATCH_ANY,
                LIBUSB_HOTPLUG_MATCH_ANY, &Context::OnHotplug, context.get(),
                &context->hotplugHandle) == LIBUSB_SUCCESS;
    }
    if (!context->hotplug) {
        context->polledDevices = context->PresentPaths();
    }
    context->events = std::thread([raw = context.get()] { raw->HandleEvents(); });
    return std::unique_ptr<LibusbPort>(new LibusbPort(std::move(context)));
}

LibusbPort::LibusbPort(std::shared_ptr<Context> context) : context_(std::move(context)) {}

LibusbPort::~LibusbPort() {
    Unsubscribe();
}

bool LibusbPort::hotplugAvailable() const {
    return context_->hotplug;
}

std::vector<UsbDeviceInfo> LibusbPort::ListDevices() {
    std::vector<libusb_device*> devices = TabletDevices(context_->usb);
    std::vector<UsbDeviceInfo> infos;
    for (libusb_device* device : devices) {
        libusb_device_descriptor descriptor{};
        libusb_get_device_descriptor(device, &descriptor);
        std::array<char, 64> where;
        std::snprintf(where.data(), where.size(), "bus %03u device %03u",
                      libusb_get_bus_number(device), libusb_get_device_address(device));
        infos.push_back({PathOf(device), descriptor.idVendor, descriptor.idProduct, where.data()});
    }
    Unref(devices);
    return infos;
}

std::optional<std::string> LibusbPort::FindFirstDevice() {
    std::vector<libusb_device*> devices = TabletDevices(context_->usb);
    std::optional<std::string> first;
    if (!devices.empty()) {
        first = PathOf(devices.front());
    }
    Unref(devices);
    return first;
}

OpenResult LibusbPort::Open(const std::string& path) {
    std::vector<libusb_device*> devices = TabletDevices(context_->usb);
    libusb_device* device = nullptr;
    for (libusb_device* candidate : devices) {
        if (device == nullptr && PathOf(candidate) == path) {
            device = libusb_ref_device(candidate);
        }
    }
    Unref(devices);
    if (device == nullptr) {
        return {OpenStatus::NoDevice, nullptr};
    }
    libusb_device_handle* handle = nullptr;
    if (const int opened = libusb_open(device, &handle); opened != 0) {
        libusb_unref_device(device);
        return {FromLibusbError(opened), nullptr};
    }
    libusb_set_auto_detach_kernel_driver(handle, 1);
    if (const int claimed = libusb_claim_interface(handle, 0); claimed != 0) {
        libusb_close(handle);
        libusb_unref_device(device);
        return {FromLibusbError(claimed), nullptr};
    }
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    if (transfer == nullptr) {
        libusb_release_interface(handle, 0);
        libusb_close(handle);
        libusb_unref_device(device);
        return {OpenStatus::Failed, nullptr};
    }
    return {OpenStatus::Opened, std::make_shared<LibusbDevice>(context_, device, handle, transfer)};
}

void LibusbPort::Subscribe(UsbDeviceEventHandler handler) {
    std::lock_guard lock(context_->handlerMutex);
    context_->handler = std::move(handler);
}

void LibusbPort::Unsubscribe() {
    std::lock_guard lock(context_->handlerMutex);
    context_->handler = nullptr;
}

}  // namespace ondrel
