#include "tablet/protocol/tablet_protocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace ondrel {
namespace {

TEST(TabletProtocol, DescriptorRequestsCarryTheTabletsExactSetupBytes) {
    EXPECT_EQ(MakeDescriptorRequest(TABLET_PARAM_INDEX),
              (UsbSetupPacket{0x80, 0x06, 0x64, 0x03, 0x09, 0x04, 0x78, 0x56}));
    const std::vector<UsbSetupPacket> expected = {
        {0x80, 0x06, 0x01, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x63, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x65, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x7B, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x7A, 0x03, 0x09, 0x04, 0x78, 0x56},
    };
    ASSERT_EQ(TABLET_INIT_INDEXES.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(MakeDescriptorRequest(TABLET_INIT_INDEXES[i]), expected[i]) << "request " << i;
    }
}

TEST(TabletProtocol, VendorIsReadLittleEndianFromBytesEightAndNine) {
    std::vector<std::uint8_t> descriptor(18, 0);
    descriptor[8] = 0x6C;
    descriptor[9] = 0x25;
    EXPECT_TRUE(IsTabletVendor(descriptor));
    descriptor[8] = 0x25;
    descriptor[9] = 0x6C;
    EXPECT_FALSE(IsTabletVendor(descriptor));
}

TEST(TabletProtocol, ShortDeviceDescriptorIsNeverTheTablet) {
    std::vector<std::uint8_t> descriptor(18, 0);
    descriptor[8] = 0x6C;
    descriptor[9] = 0x25;
    descriptor.resize(10);  // the vendor bytes are there, but the read was short
    EXPECT_FALSE(IsTabletVendor(descriptor));
    EXPECT_FALSE(IsTabletVendor({}));
}

TEST(TabletProtocol, ParameterReplyGivesTheExtent) {
    std::vector<std::uint8_t> buffer(64, 0);
    const std::uint8_t reply[] = {0x0C, 0x03, 0x40, 0x9C, 0x50, 0xC3};
    std::copy(std::begin(reply), std::end(reply), buffer.begin());
    EXPECT_EQ(ParseTabletExtent(buffer), (TabletExtent{40000, 50000}));
}

TEST(TabletProtocol, ShortOrMissingParameterReplyReadsAsZero) {
    std::vector<std::uint8_t> zeroed(64, 0);
    EXPECT_EQ(ParseTabletExtent(zeroed), (TabletExtent{0, 0}));
    // A 4-byte reply into the zeroed buffer: maxX from the reply, maxY 0.
    zeroed[0] = 0x04;
    zeroed[1] = 0x03;
    zeroed[2] = 0x40;
    zeroed[3] = 0x9C;
    EXPECT_EQ(ParseTabletExtent(zeroed), (TabletExtent{40000, 0}));
    // A buffer that ends early is read as if zero-filled.
    const std::uint8_t cut[] = {0x04, 0x03, 0x40};
    EXPECT_EQ(ParseTabletExtent(cut), (TabletExtent{0x40, 0}));
}

TEST(TabletProtocol, ReportDecodingIgnoresTheFirstTwoBytes) {
    std::array<std::uint8_t, 8> report = {0x07, 0x80, 0x10, 0x27, 0x20, 0x4E, 0xE8, 0x03};
    const PenReport expected{10000, 20000, 1000};
    EXPECT_EQ(DecodePenReport(report), expected);
    for (int b0 : {0x00, 0x01, 0xFF}) {
        report[0] = static_cast<std::uint8_t>(b0);
        report[1] = static_cast<std::uint8_t>(0xFF - b0);
        EXPECT_EQ(DecodePenReport(report), expected);
    }
}

TEST(TabletProtocol, EncodingIsTheInverseOfDecoding) {
    const auto bytes = EncodePenReport({10000, 20000, 1000}, 0x07, 0x80);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{0x07, 0x80, 0x10, 0x27, 0x20, 0x4E, 0xE8, 0x03}));
    EXPECT_EQ(DecodePenReport(bytes), (PenReport{10000, 20000, 1000}));
}

TEST(TabletProtocol, ZeroPressureBytesMeanPenUpWhereverThePointIs) {
    const std::array<std::uint8_t, 8> report = {0, 1, 0xFF, 0xFF, 0x34, 0x12, 0, 0};
    const PenReport decoded = DecodePenReport(report);
    EXPECT_EQ(decoded.pressure, 0);
    EXPECT_EQ(decoded.x, 0xFFFF);
    EXPECT_EQ(decoded.y, 0x1234);
}

TEST(TabletProtocol, ClassGuidHasTheStandardInMemoryLayout) {
    const std::array<std::uint8_t, 16> expected = {0x4C, 0x2D, 0xF1, 0x62, 0x31, 0x34, 0xFD, 0x4E,
                                                   0x8D, 0xD7, 0x8E, 0x9A, 0xAB, 0x18, 0xD3, 0x0C};
    EXPECT_EQ(GUID_DEVINTERFACE_SIGNPAD, expected);
    EXPECT_EQ(TABLET_VENDOR_ID, 9580);
}

}  // namespace
}  // namespace ondrel
