#include "tablet/usb/libusb_port.h"

#include <libusb.h>

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

#include "tablet/usb/device_watch.h"
#include "tablet/usb/kernel_usb_devices.h"
#include "tablet/usb/libusb_device.h"

namespace ondrel {

namespace {

using Clock = std::chrono::steady_clock;

// How often the device list is looked at where no hot-plug event can arrive.
constexpr std::chrono::milliseconds POLL_INTERVAL{1000};

std::string PathOf(unsigned bus, unsigned address) {
    std::array<char, 32> path;
    std::snprintf(path.data(), path.size(), "usb:%03u:%03u", bus, address);
    return path.data();
}

std::string PathOf(libusb_device* device) {
    return PathOf(libusb_get_bus_number(device), libusb_get_device_address(device));
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

// A device of the tablet's class, from libusb's list or from the kernel's.
struct ListedDevice {
    std::string path;
    unsigned bus = 0;
    unsigned address = 0;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

OpenStatus FromErrno(int error) {
    switch (error) {
        case -EACCES:
        case -EPERM:
            return OpenStatus::AccessDenied;
        case -ENOENT:
        case -ENODEV:
            return OpenStatus::NoDevice;
        default:
            return OpenStatus::Failed;
    }
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
    DeviceWatch watch = DeviceWatch::PollLibusbList;
    bool hotplug = false;  // the callback is registered
    libusb_hotplug_callback_handle hotplugHandle{};
    std::atomic<bool> stopping{false};
    std::thread events;

    std::mutex handlerMutex;
    UsbDeviceEventHandler handler;
    std::set<std::string> polledDevices;  // where the device list is polled

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

    void Deliver(UsbDeviceEvent event) {
        std::lock_guard lock(handlerMutex);
        if (handler) {
            handler(event);
        }
    }

    // The present devices of the tablet's class, in enumeration order. Listing only: no USB
    // I/O, so the event thread may call it.
    std::vector<ListedDevice> Present() {
        std::vector<ListedDevice> listed;
        if (watch == DeviceWatch::PollKernelList) {
            for (const KernelUsbDevice& device : ListKernelUsbDevices()) {
                if (device.vendorId == TABLET_VENDOR_ID) {
                    listed.push_back({PathOf(device.bus, device.address), device.bus,
                                      device.address, device.vendorId, device.productId});
                }
            }
            return listed;
        }
        std::vector<libusb_device*> devices = TabletDevices(usb);
        for (libusb_device* device : devices) {
            libusb_device_descriptor descriptor{};
            libusb_get_device_descriptor(device, &descriptor);
            listed.push_back({PathOf(device), libusb_get_bus_number(device),
                              libusb_get_device_address(device), descriptor.idVendor,
                              descriptor.idProduct});
        }
        Unref(devices);
        return listed;
    }

    std::set<std::string> PresentPaths() {
        std::set<std::string> paths;
        for (const ListedDevice& device : Present()) {
            paths.insert(device.path);
        }
        return paths;
    }

    // The same two events as the hot-plug callback's, one for each path that went or came.
    void Poll() {
        const std::set<std::string> present = PresentPaths();
        std::lock_guard lock(handlerMutex);
        for (const std::string& path : polledDevices) {
            if (!present.contains(path) && handler) {
                handler(UsbDeviceEvent::Removed);
            }
        }
        for (const std::string& path : present) {
            if (!polledDevices.contains(path) && handler) {
                handler(UsbDeviceEvent::Arrived);
            }
        }
        polledDevices = present;
    }

    void HandleEvents() {
        auto nextPoll = Clock::now() + POLL_INTERVAL;
        while (!stopping) {
            timeval limit{0, 200000};
            libusb_handle_events_timeout_completed(usb, &limit, nullptr);
            if (watch != DeviceWatch::HotplugEvents && Clock::now() >= nextPoll) {
                Poll();
                nextPoll = Clock::now() + POLL_INTERVAL;
            }
        }
    }

    // No USB I/O here: the event only travels on to the window thread.
    static int LIBUSB_CALL OnHotplug(libusb_context*, libusb_device*, libusb_hotplug_event event,
                                     void* self) {
        static_cast<Context*>(self)->Deliver(event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED
                                                 ? UsbDeviceEvent::Arrived
                                                 : UsbDeviceEvent::Removed);
        return 0;
    }
};

std::unique_ptr<LibusbPort> LibusbPort::Create() {
    auto context = std::make_shared<Context>();
    if (libusb_init(&context->usb) != 0) {
        context->usb = nullptr;
        return nullptr;
    }
    const bool libusbHotplug = libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) != 0;
    context->watch = ChooseDeviceWatch(
        libusbHotplug, libusbHotplug ? ProbeUdevControlSocket() : UdevControlSocket::NotUsed);
    if (context->watch == DeviceWatch::HotplugEvents) {
        context->hotplug =
            libusb_hotplug_register_callback(
                context->usb,
                LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT,
                LIBUSB_HOTPLUG_NO_FLAGS, TABLET_VENDOR_ID, LIBUSB_HOTPLUG_MATCH_ANY,
                LIBUSB_HOTPLUG_MATCH_ANY, &Context::OnHotplug, context.get(),
                &context->hotplugHandle) == LIBUSB_SUCCESS;
    }
    if (context->watch == DeviceWatch::HotplugEvents && !context->hotplug) {
        context->watch = DeviceWatch::PollLibusbList;  // the udev daemon keeps that list current
    }
    if (context->watch != DeviceWatch::HotplugEvents) {
        context->polledDevices = context->PresentPaths();
    }
    context->events = std::thread([raw = context.get()] { raw->HandleEvents(); });
    return std::unique_ptr<LibusbPort>(new LibusbPort(std::move(context)));
}

LibusbPort::LibusbPort(std::shared_ptr<Context> context) : context_(std::move(context)) {}

LibusbPort::~LibusbPort() {
    Unsubscribe();
}

DeviceWatch LibusbPort::deviceWatch() const {
    return context_->watch;
}

std::vector<UsbDeviceInfo> LibusbPort::ListDevices() {
    std::vector<UsbDeviceInfo> infos;
    for (const ListedDevice& device : context_->Present()) {
        std::array<char, 64> where;
        std::snprintf(where.data(), where.size(), "bus %03u device %03u", device.bus,
                      device.address);
        infos.push_back({device.path, device.vendorId, device.productId, where.data()});
    }
    return infos;
}

std::optional<std::string> LibusbPort::FindFirstDevice() {
    std::vector<ListedDevice> devices = context_->Present();
    if (devices.empty()) {
        return std::nullopt;
    }
    return devices.front().path;
}

namespace {

// Opens what libusb lists under `path`. Empty handle and the status when it cannot.
OpenStatus OpenListed(libusb_context* usb, const std::string& path, libusb_device*& device,
                      libusb_device_handle*& handle) {
    std::vector<libusb_device*> devices = TabletDevices(usb);
    for (libusb_device* candidate : devices) {
        if (device == nullptr && PathOf(candidate) == path) {
            device = libusb_ref_device(candidate);
        }
    }
    Unref(devices);
    if (device == nullptr) {
        return OpenStatus::NoDevice;
    }
    if (const int opened = libusb_open(device, &handle); opened != 0) {
        libusb_unref_device(device);
        device = nullptr;
        return FromLibusbError(opened);
    }
    return OpenStatus::Opened;
}

// Opens the device node of a device from the kernel's list and hands it to libusb, which reads
// the descriptors through it; libusb's own list does not know the device. `fd` stays ours.
OpenStatus OpenWrapped(libusb_context* usb, const ListedDevice& listed, libusb_device*& device,
                       libusb_device_handle*& handle, int& fd) {
    fd = OpenKernelUsbDevice(listed.bus, listed.address);
    if (fd < 0) {
        const OpenStatus status = FromErrno(fd);
        fd = -1;
        return status;
    }
    if (const int wrapped = libusb_wrap_sys_device(usb, fd, &handle); wrapped != 0) {
        CloseKernelUsbDevice(fd);
        fd = -1;
        return FromLibusbError(wrapped);
    }
    device = libusb_ref_device(libusb_get_device(handle));
    return OpenStatus::Opened;
}

}  // namespace

OpenResult LibusbPort::Open(const std::string& path) {
    libusb_device* device = nullptr;
    libusb_device_handle* handle = nullptr;
    int fd = -1;  // the device node libusb wraps, where it does
    OpenStatus status = OpenStatus::NoDevice;
    if (context_->watch == DeviceWatch::PollKernelList) {
        for (const ListedDevice& listed : context_->Present()) {
            if (device == nullptr && listed.path == path) {
                status = OpenWrapped(context_->usb, listed, device, handle, fd);
            }
        }
    } else {
        status = OpenListed(context_->usb, path, device, handle);
    }
    if (status != OpenStatus::Opened) {
        return {status, nullptr};
    }
    const auto release = [&] {
        libusb_close(handle);
        libusb_unref_device(device);
        if (fd >= 0) {
            CloseKernelUsbDevice(fd);
        }
    };
    libusb_set_auto_detach_kernel_driver(handle, 1);
    if (const int claimed = libusb_claim_interface(handle, 0); claimed != 0) {
        release();
        return {FromLibusbError(claimed), nullptr};
    }
    std::shared_ptr<UsbDevice> opened = MakeLibusbDevice(context_, device, handle, fd);
    if (!opened) {
        libusb_release_interface(handle, 0);
        release();
        return {OpenStatus::Failed, nullptr};
    }
    return {OpenStatus::Opened, std::move(opened)};
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
