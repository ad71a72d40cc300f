#pragma once

// How the libusb port learns that a tablet came or went. libusb reports hot-plug support on
// Linux whenever it was built with udev, but its events come only from the udev daemon: where
// none runs (a minimal kiosk image, a container) no event ever arrives, and libusb's device list
// is not refreshed either (it is kept current by those same events). The port then looks at the
// kernel's own list of USB devices instead, every second.

namespace ondrel {

// What the udev daemon's control socket (/run/udev/control) says about the daemon.
enum class UdevControlSocket {
    NotUsed,     // a platform without udev: libusb's hot-plug does not depend on it
    Missing,     // no such file
    NotASocket,  // something else stands there
    Refused,     // a socket nobody listens on: the daemon ended and left it behind
    Accepted,    // a daemon (or the service manager, which starts one on demand) listens
    NoAccess,    // the socket may not be connected to by this user: a real daemon's socket
};

enum class DeviceWatch {
    HotplugEvents,   // libusb's hot-plug callback
    PollLibusbList,  // libusb without hot-plug enumerates anew at each listing: poll that list
    PollKernelList,  // hot-plug events cannot arrive: poll the kernel's list, open by device node
};

// True when udev events can be expected: someone listens on the control socket, or it is a
// socket we may not even connect to (only the daemon's own is kept from other users). A
// missing socket, a file of another kind or a socket left behind mean there is no daemon.
bool UdevDaemonListens(UdevControlSocket control);

// `libusbHotplug` is libusb's hot-plug capability (and a successful registration of the
// callback); `control` what the udev control socket looked like at start-up.
DeviceWatch ChooseDeviceWatch(bool libusbHotplug, UdevControlSocket control);

// Looks at the udev control socket at `path` (Linux; NotUsed elsewhere). Connecting to it sends
// nothing: the daemon (or the service manager holding the socket) sees a connection close.
UdevControlSocket ProbeUdevControlSocket(const char* path = "/run/udev/control");

}  // namespace ondrel
