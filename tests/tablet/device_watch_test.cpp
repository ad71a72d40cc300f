#include "tablet/usb/device_watch.h"

#include <gtest/gtest.h>

namespace ondrel {
namespace {

using Control = UdevControlSocket;

TEST(ChooseDeviceWatch, WithoutLibusbHotplugTheListIsPolled) {
    for (const Control control : {Control::NotUsed, Control::Missing, Control::NotASocket,
                                  Control::Refused, Control::Accepted, Control::NoAccess}) {
        EXPECT_EQ(ChooseDeviceWatch(false, control), DeviceWatch::PollLibusbList);
    }
}

TEST(ChooseDeviceWatch, HotplugEventsOnlyWhereTheUdevDaemonListens) {
    EXPECT_EQ(ChooseDeviceWatch(true, Control::Accepted), DeviceWatch::HotplugEvents);
    // Only the daemon's own socket keeps other users out: trust it.
    EXPECT_EQ(ChooseDeviceWatch(true, Control::NoAccess), DeviceWatch::HotplugEvents);
    // Platforms whose hot-plug does not go through udev.
    EXPECT_EQ(ChooseDeviceWatch(true, Control::NotUsed), DeviceWatch::HotplugEvents);
    // libusb says it has hot-plug, yet no event can come: look at the kernel's list.
    EXPECT_EQ(ChooseDeviceWatch(true, Control::Missing), DeviceWatch::PollKernelList);
    EXPECT_EQ(ChooseDeviceWatch(true, Control::NotASocket), DeviceWatch::PollKernelList);
    EXPECT_EQ(ChooseDeviceWatch(true, Control::Refused), DeviceWatch::PollKernelList);
}

}  // namespace
}  // namespace ondrel
