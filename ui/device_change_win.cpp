#include "ui/device_change_win.h"

// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <algorithm>
#include <cstring>

#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {
namespace {

// The record's device type, when the record is long enough to say.
std::optional<DWORD> DeviceTypeOf(std::span<const std::uint8_t> record) {
    if (record.size() < sizeof(DEV_BROADCAST_HDR)) {
        return std::nullopt;
    }
    DEV_BROADCAST_HDR header;
    std::memcpy(&header, record.data(), sizeof header);
    return header.dbch_devicetype;
}

std::optional<UsbDeviceEvent> InterfaceEvent(std::uint32_t eventType) {
    switch (eventType) {
        case DBT_DEVICEARRIVAL:
            return UsbDeviceEvent::Arrived;
        case DBT_DEVICEREMOVECOMPLETE:
            return UsbDeviceEvent::Removed;
        default:
            return std::nullopt;
    }
}

std::optional<DeviceHandleEvent> HandleEvent(std::uint32_t eventType) {
    switch (eventType) {
        case DBT_DEVICEQUERYREMOVE:
            return DeviceHandleEvent::RemovalRequested;
        case DBT_DEVICEQUERYREMOVEFAILED:
            return DeviceHandleEvent::RemovalFailed;
        case DBT_DEVICEREMOVEPENDING:
            return DeviceHandleEvent::RemovalPending;
        case DBT_DEVICEREMOVECOMPLETE:
            return DeviceHandleEvent::Removed;
        default:
            return std::nullopt;
    }
}

}  // namespace

bool IsTabletInterface(std::span<const std::uint8_t> record) {
    constexpr std::size_t classOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_classguid);
    static_assert(sizeof(GUID) == GUID_DEVINTERFACE_SIGNPAD.size());
    if (record.size() < classOffset + sizeof(GUID) ||
        DeviceTypeOf(record) != DWORD{DBT_DEVTYP_DEVICEINTERFACE}) {
        return false;
    }
    return std::equal(GUID_DEVINTERFACE_SIGNPAD.begin(), GUID_DEVINTERFACE_SIGNPAD.end(),
                      record.begin() + classOffset);
}

std::optional<std::uintptr_t> HandleInRecord(std::span<const std::uint8_t> record) {
    constexpr std::size_t handleOffset = offsetof(DEV_BROADCAST_HANDLE, dbch_handle);
    if (record.size() < handleOffset + sizeof(HANDLE) ||
        DeviceTypeOf(record) != DWORD{DBT_DEVTYP_HANDLE}) {
        return std::nullopt;
    }
    HANDLE handle = nullptr;
    std::memcpy(&handle, record.data() + handleOffset, sizeof handle);
    return reinterpret_cast<std::uintptr_t>(handle);
}

int OnDeviceChange(std::uint32_t eventType, const std::uint8_t* record, std::size_t recordSize,
                   DeviceEventSink& sink) {
    if (record == nullptr) {
        return -1;
    }
    const std::span<const std::uint8_t> bytes(record, recordSize);
    if (const std::optional<std::uintptr_t> handle = HandleInRecord(bytes)) {
        if (const std::optional<DeviceHandleEvent> event = HandleEvent(eventType)) {
            sink.OnDeviceHandleEvent(*handle, *event);
        }
    } else if (IsTabletInterface(bytes)) {
        if (const std::optional<UsbDeviceEvent> event = InterfaceEvent(eventType)) {
            sink.OnDeviceEvent(*event);
        }
    }
    return 0;
}

}  // namespace ondrel
