#include "tablet/usb/usbfs_control.h"

#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace ondrel {

int OpenUsbfsNode(unsigned bus, unsigned address) {
    std::array<char, 32> node;
    std::snprintf(node.data(), node.size(), "/dev/bus/usb/%03u/%03u", bus, address);
    const int fd = open(node.data(), O_RDWR | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
}

int SendRawControlRequest(int fd, const UsbSetupPacket& setup, std::span<std::uint8_t> data,
                          std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
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
    const auto deadline = Clock::now() + limit;
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

}  // namespace ondrel
