#include "tablet/tablet_link.h"

#include <algorithm>

namespace ondrel {

namespace {

// Bit 7 of an endpoint address: the endpoint sends to the host.
constexpr std::uint8_t USB_ENDPOINT_IN = 0x80;

OpenOutcome FromOpenStatus(OpenStatus status) {
    switch (status) {
        case OpenStatus::Opened:
            return OpenOutcome::Opened;
        case OpenStatus::NoDevice:
            return OpenOutcome::NoDevice;
        case OpenStatus::AccessDenied:
            return OpenOutcome::AccessDenied;
        case OpenStatus::Busy:
            return OpenOutcome::Busy;
        case OpenStatus::Failed:
            break;
    }
    return OpenOutcome::Failed;
}

// The parameter request into a zeroed buffer, then the five initialisation requests into the
// same buffer. Only the parameter reply is looked at; no outcome is.
TabletExtent RunSetUpConversation(UsbDevice& device) {
    std::array<std::uint8_t, TABLET_REPLY_BUFFER_SIZE> reply{};
    const auto dataStage = std::span(reply).first(TABLET_REPLY_CAPACITY);
    device.ControlTransfer(MakeDescriptorRequest(TABLET_PARAM_INDEX), dataStage);
    const TabletExtent extent = ParseTabletExtent(reply);
    for (std::uint8_t index : TABLET_INIT_INDEXES) {
        device.ControlTransfer(MakeDescriptorRequest(index), dataStage);
    }
    return extent;
}

}  // namespace

OpenOutcome OpenTablet(UsbPort& port, TabletLink& link, TabletExtent& extent) {
    CloseTablet(link);  // never overwrite a link that still holds a device

    const std::optional<std::string> path = port.FindFirstDevice();
    if (!path) {
        return OpenOutcome::NoDevice;
    }
    link.devicePath = *path;
    OpenResult opened = port.Open(link.devicePath);
    if (opened.status != OpenStatus::Opened || !opened.device) {
        return FromOpenStatus(opened.status == OpenStatus::Opened ? OpenStatus::Failed
                                                                  : opened.status);
    }
    link.device = std::move(opened.device);
    link.isOpen = true;

    // A short or failed read leaves zeros behind, which never pass for the tablet's vendor.
    std::array<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> descriptor{};
    const int got = link.device->GetDeviceDescriptor(descriptor);
    if (got < static_cast<int>(descriptor.size()) || !IsTabletVendor(descriptor)) {
        CloseTablet(link);
        return OpenOutcome::WrongVendor;
    }

    // The reader reads this pipe: an OUT endpoint is no report pipe (a read on it would send).
    link.pipeInfo = UsbPipe{};
    if (!link.device->QueryFirstPipe(link.pipeInfo) ||
        (link.pipeInfo.pipeId & USB_ENDPOINT_IN) == 0) {
        CloseTablet(link);
        return OpenOutcome::NoPipe;
    }

    extent = RunSetUpConversation(*link.device);
    return OpenOutcome::Opened;
}

bool CloseTablet(TabletLink& link) {
    if (!link.isOpen) {
        return false;
    }
    link.device->Close();
    link.device.reset();
    link.isOpen = false;
    return true;
}

}  // namespace ondrel
