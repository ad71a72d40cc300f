#pragma once

// The signing window's handler of WM_DEVICECHANGE: what Windows says about the tablet's
// interface class and the open tablet's handle, turned into the connection's typed events.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "tablet/device_change.h"

namespace ondrel {

// The event type (wParam) and the record lParam points to (null where the event carries none;
// `recordSize` is the size the record gives itself). For the tablet's interface class, arrival
// and removal-complete reach the sink as UsbDeviceEvent; for a device handle, the removal
// request, its failure, a removal pending and removal-complete reach it as DeviceHandleEvent.
// Anything else changes nothing. Returns -1 without a record, otherwise 0.
int OnDeviceChange(std::uint32_t eventType, const std::uint8_t* record, std::size_t recordSize,
                   DeviceEventSink& sink);

// True when the record is a device-interface record (at least up to its class) of the tablet's
// class. Never reads past the record.
bool IsTabletInterface(std::span<const std::uint8_t> record);

// The handle a device-handle record names; empty for any other record. Never reads past it.
std::optional<std::uintptr_t> HandleInRecord(std::span<const std::uint8_t> record);

}  // namespace ondrel
