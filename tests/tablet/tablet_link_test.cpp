#include "tablet/tablet_link.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "tablet/sim/sim_tablet.h"

namespace ondrel {
namespace {

TEST(OpenTablet, NoDeviceLeavesTheLinkClosedAndTheExtentAlone) {
    SimTablet sim;
    TabletLink link;
    TabletExtent extent{1, 2};
    EXPECT_EQ(OpenTablet(sim, link, extent), OpenOutcome::NoDevice);
    EXPECT_FALSE(link.isOpen);
    EXPECT_EQ(extent, (TabletExtent{1, 2}));
}

TEST(OpenTablet, OpensReadsTheExtentAndSendsTheSixRequestsInOrder) {
    SimTablet sim;
    sim.Plug();
    TabletLink link;
    TabletExtent extent;
    ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    EXPECT_TRUE(link.isOpen);
    EXPECT_EQ(extent, (TabletExtent{40000, 50000}));
    EXPECT_EQ(link.pipeInfo.pipeId, 0x81);
    const std::vector<UsbSetupPacket> expected = {{0x80, 0x06, 0x64, 0x03, 0x09, 0x04, 0x78, 0x56},
                                                  {0x80, 0x06, 0x01, 0x03, 0x09, 0x04, 0x78, 0x56},
                                                  {0x80, 0x06, 0x63, 0x03, 0x09, 0x04, 0x78, 0x56},
                                                  {0x80, 0x06, 0x65, 0x03, 0x09, 0x04, 0x78, 0x56},
                                                  {0x80, 0x06, 0x7B, 0x03, 0x09, 0x04, 0x78, 0x56},
                                                  {0x80, 0x06, 0x7A, 0x03, 0x09, 0x04, 0x78, 0x56}};
    EXPECT_EQ(sim.setupLog(), expected);
    EXPECT_EQ(sim.openDevices(), 1);
    EXPECT_TRUE(CloseTablet(link));
    EXPECT_FALSE(link.isOpen);
    EXPECT_EQ(sim.openDevices(), 0);
}

TEST(OpenTablet, WrongVendorIsOpenedRejectedAndReleased) {
    SimTablet sim;
    sim.Plug(0x1234);
    TabletLink link;
    TabletExtent extent{7, 8};
    EXPECT_EQ(OpenTablet(sim, link, extent), OpenOutcome::WrongVendor);
    EXPECT_FALSE(link.isOpen);
    EXPECT_EQ(sim.openDevices(), 0);
    EXPECT_TRUE(sim.setupLog().empty());
    EXPECT_EQ(extent, (TabletExtent{7, 8}));
}

TEST(OpenTablet, ByteSwappedVendorIsRejected) {
    SimTablet sim;
    sim.Plug(0x6C25);
    TabletLink link;
    TabletExtent extent;
    EXPECT_EQ(OpenTablet(sim, link, extent), OpenOutcome::WrongVendor);
    EXPECT_EQ(sim.openDevices(), 0);
}

TEST(OpenTablet, ShortParameterReplyGivesMaxYZero) {
    SimTablet sim;
    sim.SetParamReply({0x04, 0x03, 0x40, 0x9C});
    sim.Plug();
    TabletLink link;
    TabletExtent extent{1, 1};
    ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    EXPECT_EQ(extent, (TabletExtent{40000, 0}));
}

TEST(OpenTablet, EmptyParameterReplyGivesZeroExtentAndStillOpens) {
    SimTablet sim;
    sim.SetParamReply({});
    sim.Plug();
    TabletLink link;
    TabletExtent extent{1, 1};
    ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    EXPECT_EQ(extent, (TabletExtent{0, 0}));
    EXPECT_EQ(sim.setupLog().size(), 6u);
}

// A device that offers long replies and records the data stage each request was given.
class RecordingDevice final : public UsbDevice {
  public:
    int GetDeviceDescriptor(std::span<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> out) override {
        std::fill(out.begin(), out.end(), 0);
        out[8] = 0x6C;
        out[9] = 0x25;
        return static_cast<int>(out.size());
    }
    bool QueryFirstPipe(UsbPipe& pipe) override {
        pipe.pipeId = 0x81;
        return true;
    }
    int ControlTransfer(const UsbSetupPacket&, std::span<std::uint8_t> data) override {
        dataStages.push_back(data.size());
        std::fill(data.begin(), data.end(), 0xEE);
        return static_cast<int>(data.size());
    }
    ReadResult Read(std::uint8_t, std::span<std::uint8_t, PEN_REPORT_SIZE>,
                    std::chrono::milliseconds) override {
        return {};
    }
    void CancelRead() override {}
    void Close() override {}
    std::vector<std::size_t> dataStages;
};

class OneDevicePort final : public UsbPort {
  public:
    explicit OneDevicePort(std::shared_ptr<UsbDevice> device) : device_(std::move(device)) {}
    std::vector<UsbDeviceInfo> ListDevices() override { return {}; }
    std::optional<std::string> FindFirstDevice() override { return "one"; }
    OpenResult Open(const std::string&) override { return {OpenStatus::Opened, device_}; }
    void Subscribe(UsbDeviceEventHandler) override {}
    void Unsubscribe() override {}

  private:
    std::shared_ptr<UsbDevice> device_;
};

TEST(OpenTablet, EveryRequestIsOfferedExactly32Bytes) {
    auto device = std::make_shared<RecordingDevice>();
    OneDevicePort port(device);
    TabletLink link;
    TabletExtent extent;
    ASSERT_EQ(OpenTablet(port, link, extent), OpenOutcome::Opened);
    EXPECT_EQ(device->dataStages, std::vector<std::size_t>(6, TABLET_REPLY_CAPACITY));
    EXPECT_EQ(extent, (TabletExtent{0xEEEE, 0xEEEE}));
}

TEST(OpenTablet, AShortDeviceDescriptorReadIsAWrongVendor) {
    class ShortDescriptorDevice final : public UsbDevice {
      public:
        int GetDeviceDescriptor(std::span<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> out) override {
            out[8] = 0x6C;  // the vendor bytes are there, but the read says it stopped at 8
            out[9] = 0x25;
            return 8;
        }
        bool QueryFirstPipe(UsbPipe&) override { return true; }
        int ControlTransfer(const UsbSetupPacket&, std::span<std::uint8_t>) override { return 0; }
        ReadResult Read(std::uint8_t, std::span<std::uint8_t, PEN_REPORT_SIZE>,
                        std::chrono::milliseconds) override {
            return {};
        }
        void CancelRead() override {}
        void Close() override { closed = true; }
        bool closed = false;
    };
    auto device = std::make_shared<ShortDescriptorDevice>();
    OneDevicePort port(device);
    TabletLink link;
    TabletExtent extent;
    EXPECT_EQ(OpenTablet(port, link, extent), OpenOutcome::WrongVendor);
    EXPECT_FALSE(link.isOpen);
    EXPECT_TRUE(device->closed);
}

TEST(OpenTablet, AnOpenLinkIsClosedBeforeItIsOverwritten) {
    SimTablet sim;
    sim.Plug();
    TabletLink link;
    TabletExtent extent;
    ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    EXPECT_EQ(sim.openDevices(), 1);
}

TEST(OpenTablet, TheDeviceGoneBeforeTheOpenIsNoDevice) {
    SimTablet sim;
    sim.Plug();
    const std::optional<std::string> stale = sim.FindFirstDevice();
    sim.Plug();  // a replug: the old path is gone
    EXPECT_EQ(sim.Open(*stale).status, OpenStatus::NoDevice);
}

TEST(CloseTablet, FalseWhenNothingIsOpen) {
    TabletLink link;
    EXPECT_FALSE(CloseTablet(link));
}

}  // namespace
}  // namespace ondrel
