#pragma once

// The pen tablet's wire protocol: the constants that identify it, the exact bytes of the
// set-up requests the host sends, and the decoding of its replies and reports. Pure functions
// on bytes; moving the bytes is the connection's job.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ondrel {

// Device-interface class the tablet's driver publishes it under, in the in-memory GUID layout
// {62F12D4C-3431-4EFD-8DD7-8E9AAB18D30C}.
inline constexpr std::array<std::uint8_t, 16> GUID_DEVINTERFACE_SIGNPAD = {
    0x4C, 0x2D, 0xF1, 0x62, 0x31, 0x34, 0xFD, 0x4E, 0x8D, 0xD7, 0x8E, 0x9A, 0xAB, 0x18, 0xD3, 0x0C};

inline constexpr std::uint16_t TABLET_VENDOR_ID = 0x256C;
inline constexpr std::uint8_t TABLET_PARAM_INDEX = 100;
inline constexpr std::array<std::uint8_t, 5> TABLET_INIT_INDEXES = {0x01, 0x63, 0x65, 0x7B, 0x7A};
inline constexpr std::uint16_t TABLET_LANGID = 0x0409;
// Goes into wLength of every request; the tablet expects it although only
// TABLET_REPLY_CAPACITY bytes of any reply are kept.
inline constexpr std::uint16_t TABLET_REQUEST_LENGTH = 0x5678;
inline constexpr std::size_t TABLET_REPLY_CAPACITY = 32;
inline constexpr std::size_t TABLET_REPLY_BUFFER_SIZE = 64;
inline constexpr std::size_t PEN_REPORT_SIZE = 8;
inline constexpr std::size_t USB_DEVICE_DESCRIPTOR_SIZE = 18;

// The standard 8-byte USB setup packet, in wire order.
using UsbSetupPacket = std::array<std::uint8_t, 8>;

struct TabletExtent {
    std::uint16_t maxX = 0;
    std::uint16_t maxY = 0;
    friend bool operator==(const TabletExtent&, const TabletExtent&) = default;
};

struct PenReport {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint16_t pressure = 0;  // 0: the pen is not touching
    friend bool operator==(const PenReport&, const PenReport&) = default;
};

// GET_DESCRIPTOR(string, index), language TABLET_LANGID, wLength TABLET_REQUEST_LENGTH.
UsbSetupPacket MakeDescriptorRequest(std::uint8_t descriptorIndex);

// True exactly when idVendor (bytes 8-9) is TABLET_VENDOR_ID. A descriptor shorter than
// 18 bytes (a short or failed read) is never the tablet.
bool IsTabletVendor(std::span<const std::uint8_t> deviceDescriptor);

// maxX from bytes 2-3, maxY from bytes 4-5 of the reply buffer; bytes the buffer does not
// have read as 0.
TabletExtent ParseTabletExtent(std::span<const std::uint8_t> replyBuffer);

// x, y and pressure from bytes 2-7; bytes 0 and 1 are ignored.
PenReport DecodePenReport(std::span<const std::uint8_t, PEN_REPORT_SIZE> report);

// The 8 bytes of a report: bytes 0 and 1 as given (the tablet's own, never read by us), then
// x, y and pressure. The inverse of DecodePenReport, for simulated tablets and tests.
std::array<std::uint8_t, PEN_REPORT_SIZE> EncodePenReport(const PenReport& report,
                                                          std::uint8_t byte0, std::uint8_t byte1);

}  // namespace ondrel
