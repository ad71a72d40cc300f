#pragma once

// The device-change notifications the signing window handles: the event numbers it acts on
// and the device-interface record that names the tablet's class.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace ondrel {

// Arrival and removal-complete of a device interface. Windows' own headers name these
// DBT_DEVICEARRIVAL and DBT_DEVICEREMOVECOMPLETE as macros, so ours keep names of their own.
inline constexpr std::uint32_t DEVICE_ARRIVAL = 0x8000;
inline constexpr std::uint32_t DEVICE_REMOVE_COMPLETE = 0x8004;

// The 32-byte device-interface record of the tablet's class, as the notifications carry it.
inline constexpr std::size_t NOTIFICATION_RECORD_SIZE = 32;
std::array<std::uint8_t, NOTIFICATION_RECORD_SIZE> MakeTabletNotificationRecord();

// True when the record is a device-interface record (type 5, at least 28 bytes) of the tablet's
// class. Never reads past the record.
bool IsTabletInterface(std::span<const std::uint8_t> record);

// The window's handler: the event number and the notification record, or an empty record.
using DeviceChangeHandler =
    std::function<void(std::uint32_t eventType, std::span<const std::uint8_t> record)>;

}  // namespace ondrel
