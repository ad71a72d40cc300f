#pragma once

// The device-change notifications the signing window handles: the event numbers it acts on,
// the device-interface record that names the tablet's class, and the device-handle record that
// names the open tablet's handle.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace ondrel {

// Arrival and removal-complete of a device interface. Windows' own headers name these
// DBT_DEVICEARRIVAL and DBT_DEVICEREMOVECOMPLETE as macros, so ours keep names of their own.
inline constexpr std::uint32_t DEVICE_ARRIVAL = 0x8000;
inline constexpr std::uint32_t DEVICE_REMOVE_COMPLETE = 0x8004;
// About a watched handle: the system asks to remove its device (whoever holds a handle to it
// must close it, or the removal fails), the removal failed after all, or it is under way.
inline constexpr std::uint32_t DEVICE_QUERY_REMOVE = 0x8001;
inline constexpr std::uint32_t DEVICE_QUERY_REMOVE_FAILED = 0x8002;
inline constexpr std::uint32_t DEVICE_REMOVE_PENDING = 0x8003;

// The 32-byte device-interface record of the tablet's class, as the notifications carry it.
inline constexpr std::size_t NOTIFICATION_RECORD_SIZE = 32;
std::array<std::uint8_t, NOTIFICATION_RECORD_SIZE> MakeTabletNotificationRecord();

// True when the record is a device-interface record (type 5, at least 28 bytes) of the tablet's
// class. Never reads past the record.
bool IsTabletInterface(std::span<const std::uint8_t> record);

// A device-handle record (type 6): size, type and a reserved word, then the handle, aligned as
// a pointer is in this program.
inline constexpr std::size_t HANDLE_RECORD_HANDLE_OFFSET =
    (12 + alignof(void*) - 1) / alignof(void*) * alignof(void*);
// The handle a device-handle record names; empty for any other record. Never reads past it.
std::optional<std::uintptr_t> HandleInRecord(std::span<const std::uint8_t> record);

// The platform's notifications about one open device handle (the Windows window's handle
// notification), for as long as the object lives.
class DeviceHandleWatch {
  public:
    virtual ~DeviceHandleWatch() = default;  // withdraws the registration
};
// Starts watching a handle; may return null where nothing can be watched.
using DeviceHandleWatcher =
    std::function<std::unique_ptr<DeviceHandleWatch>(std::uintptr_t handle)>;

// The window's handler: the event number and the notification record, or an empty record.
using DeviceChangeHandler =
    std::function<void(std::uint32_t eventType, std::span<const std::uint8_t> record)>;

}  // namespace ondrel
