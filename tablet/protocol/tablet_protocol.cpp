#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {
namespace {

// Little-endian 16-bit value at offset, or 0 for bytes the buffer does not have.
std::uint16_t ReadLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const unsigned low = offset < bytes.size() ? bytes[offset] : 0u;
    const unsigned high = offset + 1 < bytes.size() ? bytes[offset + 1] : 0u;
    return static_cast<std::uint16_t>(low | (high << 8));
}

}  // namespace

UsbSetupPacket MakeDescriptorRequest(std::uint8_t descriptorIndex) {
    constexpr std::uint8_t kDeviceToHostStandardDevice = 0x80;
    constexpr std::uint8_t kGetDescriptor = 0x06;
    constexpr std::uint8_t kStringDescriptor = 0x03;
    return {kDeviceToHostStandardDevice,
            kGetDescriptor,
            descriptorIndex,
            kStringDescriptor,
            static_cast<std::uint8_t>(TABLET_LANGID & 0xFF),
            static_cast<std::uint8_t>(TABLET_LANGID >> 8),
            static_cast<std::uint8_t>(TABLET_REQUEST_LENGTH & 0xFF),
            static_cast<std::uint8_t>(TABLET_REQUEST_LENGTH >> 8)};
}

bool IsTabletVendor(std::span<const std::uint8_t> deviceDescriptor) {
    if (deviceDescriptor.size() < USB_DEVICE_DESCRIPTOR_SIZE) {
        return false;
    }
    return ReadLe16(deviceDescriptor, 8) == TABLET_VENDOR_ID;
}

TabletExtent ParseTabletExtent(std::span<const std::uint8_t> replyBuffer) {
    return {ReadLe16(replyBuffer, 2), ReadLe16(replyBuffer, 4)};
}

PenReport DecodePenReport(std::span<const std::uint8_t, PEN_REPORT_SIZE> report) {
    return {ReadLe16(report, 2), ReadLe16(report, 4), ReadLe16(report, 6)};
}

std::array<std::uint8_t, PEN_REPORT_SIZE> EncodePenReport(const PenReport& report,
                                                          std::uint8_t byte0, std::uint8_t byte1) {
    const auto low = [](std::uint16_t value) { return static_cast<std::uint8_t>(value & 0xFF); };
    const auto high = [](std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); };
    return {byte0,         byte1,          low(report.x),        high(report.x),
            low(report.y), high(report.y), low(report.pressure), high(report.pressure)};
}

}  // namespace ondrel
