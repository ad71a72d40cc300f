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

#include "tablet/usb/libusb_device.h"

namespace ondrel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds POLL_INTERVAL{500};

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

    void Deliver(UsbDeviceEvent event) {
        std::lock_guard lock(handlerMutex);
        if (handler) {
            handler(event);
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
    std::shared_ptr<UsbDevice> opened = MakeLibusbDevice(context_, device, handle);
    if (!opened) {
        libusb_release_interface(handle, 0);
        libusb_close(handle);
        libusb_unref_device(device);
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
