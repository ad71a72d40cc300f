#pragma once

// The USB devices as the kernel itself lists them, for where libusb's own list is not kept
// current (no udev daemon). Reading the list does no USB I/O: the kernel answers from the
// descriptors it read when the device was connected.

#include <cstdint>
#include <vector>

namespace ondrel {

struct KernelUsbDevice {
    unsigned bus = 0;
    unsigned address = 0;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// Every present USB device that the kernel has configured, ordered by bus and address; empty
// where the platform has no such list.
std::vector<KernelUsbDevice> ListKernelUsbDevices();

// Opens the device's node for libusb to wrap; a descriptor, or -errno.
int OpenKernelUsbDevice(unsigned bus, unsigned address);
void CloseKernelUsbDevice(int fd);

}  // namespace ondrel
