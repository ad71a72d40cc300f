#include "tablet/device_change.h"

#include <algorithm>
#include <cstring>

#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {
namespace {

constexpr std::uint32_t DEVICE_TYPE_INTERFACE = 5;
constexpr std::uint32_t DEVICE_TYPE_HANDLE = 6;
constexpr std::size_t RECORD_TYPE_OFFSET = 4;
constexpr std::size_t RECORD_CLASS_OFFSET = 12;
constexpr std::size_t RECORD_HEADER_SIZE = RECORD_CLASS_OFFSET + GUID_DEVINTERFACE_SIGNPAD.size();

std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

}  // namespace

std::optional<std::uintptr_t> HandleInRecord(std::span<const std::uint8_t> record) {
    if (record.size() < HANDLE_RECORD_HANDLE_OFFSET + sizeof(std::uintptr_t) ||
        ReadLe32(record, RECORD_TYPE_OFFSET) != DEVICE_TYPE_HANDLE) {
        return std::nullopt;
    }
    // The record comes from this process's own platform: the handle is stored as it holds it.
    static_assert(sizeof(std::uintptr_t) == sizeof(void*));
    std::uintptr_t handle = 0;
    std::memcpy(&handle, record.data() + HANDLE_RECORD_HANDLE_OFFSET, sizeof handle);
    return handle;
}

std::array<std::uint8_t, NOTIFICATION_RECORD_SIZE> MakeTabletNotificationRecord() {
    std::array<std::uint8_t, NOTIFICATION_RECORD_SIZE> record{};
    record[0] = static_cast<std::uint8_t>(NOTIFICATION_RECORD_SIZE);
    record[RECORD_TYPE_OFFSET] = static_cast<std::uint8_t>(DEVICE_TYPE_INTERFACE);
    std::copy(GUID_DEVINTERFACE_SIGNPAD.begin(), GUID_DEVINTERFACE_SIGNPAD.end(),
              record.begin() + RECORD_CLASS_OFFSET);
    return record;
}

bool IsTabletInterface(std::span<const std::uint8_t> record) {
    if (record.size() < RECORD_HEADER_SIZE) {
        return false;
    }
    if (ReadLe32(record, RECORD_TYPE_OFFSET) != DEVICE_TYPE_INTERFACE) {
        return false;
    }
    return std::equal(GUID_DEVINTERFACE_SIGNPAD.begin(), GUID_DEVINTERFACE_SIGNPAD.end(),
                      record.begin() + RECORD_CLASS_OFFSET);
}

}  // namespace ondrel
