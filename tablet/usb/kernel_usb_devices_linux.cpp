#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tablet/usb/kernel_usb_devices.h"
#include "tablet/usb/usbfs_control.h"

namespace ondrel {

namespace {

constexpr const char* SYSFS_USB_DEVICES = "/sys/bus/usb/devices";

// One number from a sysfs attribute file of the device; false when it cannot be read.
bool ReadAttribute(const std::filesystem::path& device, const char* name, int base,
                   unsigned long& value) {
    std::ifstream in(device / name);
    std::string text;
    if (!(in >> text)) {
        return false;
    }
    try {
        std::size_t used = 0;
        value = std::stoul(text, &used, base);
        return used == text.size();
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::vector<KernelUsbDevice> ListKernelUsbDevices() {
    std::vector<KernelUsbDevice> devices;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(SYSFS_USB_DEVICES, error)) {
        // Interfaces ("1-1:1.0") sit beside the devices ("usb1", "1-1.2") in this folder.
        if (entry.path().filename().string().find(':') != std::string::npos) {
            continue;
        }
        // A device is listed once the kernel has configured it: before that it is in this
        // folder already, but its interface cannot be claimed yet (an open would fail, and
        // the device would not be seen to arrive again). Unconfigured, the file is empty.
        unsigned long configuration = 0, bus = 0, address = 0, vendor = 0, product = 0;
        if (ReadAttribute(entry.path(), "bConfigurationValue", 10, configuration) &&
            configuration != 0 && ReadAttribute(entry.path(), "busnum", 10, bus) &&
            ReadAttribute(entry.path(), "devnum", 10, address) &&
            ReadAttribute(entry.path(), "idVendor", 16, vendor) &&
            ReadAttribute(entry.path(), "idProduct", 16, product)) {
            devices.push_back({static_cast<unsigned>(bus), static_cast<unsigned>(address),
                               static_cast<std::uint16_t>(vendor),
                               static_cast<std::uint16_t>(product)});
        }
    }
    std::sort(devices.begin(), devices.end(), [](const auto& a, const auto& b) {
        return a.bus != b.bus ? a.bus < b.bus : a.address < b.address;
    });
    return devices;
}

int OpenKernelUsbDevice(unsigned bus, unsigned address) {
    return OpenUsbfsNode(bus, address);
}

void CloseKernelUsbDevice(int fd) {
    close(fd);
}

}  // namespace ondrel
