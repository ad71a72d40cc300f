#pragma once

// The connection and the reader as the signing window runs them, written once and run over each
// USB port the platform has. A port's driver plays the devices behind the port:
//
//   struct Driver {
//       static constexpr bool kNotifiesItself; // the port reports plugging (else the window does)
//       std::unique_ptr<UsbPort> MakePort();   // once; devices may be plugged before
//       void Plug(const TestTablet&);
//       void Unplug();
//       void SendReport(const PenReportBytes&);
//       bool WaitForReportsTaken(int count);  // reads have taken `count` reports
//       bool WaitForPendingRead();
//       bool WaitForTheReadToFail();          // the pending read ended as the device left
//       int openDevices();
//       void ExpectNothingLeft();             // nothing the port took is held any more
//   };
//
// Include once per test program, then instantiate with a prefix that names the port (CTest
// names each case PREFIX.CASE<DRIVER>):
//   INSTANTIATE_TYPED_TEST_SUITE_P(PortConnection, PortConnectionTest, ::testing::Types<Driver>);

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tablet/reader_flag.h"
#include "tablet/tablet_connection.h"
#include "tests/tablet/tablet_test_support.h"

namespace ondrel::test {

// A device as a test plugs it in.
struct TestTablet {
    std::uint16_t vendorId = TABLET_VENDOR_ID;
    // The parameter reply; the port's own (maxX 40000, maxY 50000) unless given.
    std::optional<std::vector<std::uint8_t>> paramReply;
};

template <typename Driver>
class PortConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override { g_readerRunning = true; }
    void TearDown() override {
        if (connection) {
            Teardown();
        }
        g_readerRunning = true;
    }

    // What the window's initialisation does.
    void Initialise() {
        connection = std::make_unique<TabletConnection>(window, driver.MakePort());
        if (!connection->ConnectTablet()) {
            window.SetStatusText(STATUS_DISCONNECTED);
        }
        connection->RegisterTabletNotifications();
    }
    // What the window's destruction does.
    void Teardown() {
        g_readerRunning = false;
        connection->Shutdown();
        EXPECT_EQ(connection->readersRunning(), 0);
        driver.ExpectNothingLeft();
        connection.reset();
    }
    // The device comes or goes, with the notification of it where the port has none.
    void Plug(const TestTablet& tablet = {}) {
        driver.Plug(tablet);
        Notify(UsbDeviceEvent::Arrived);
    }
    void Unplug() {
        driver.Unplug();
        Notify(UsbDeviceEvent::Removed);
    }
    void Notify(UsbDeviceEvent event) {
        if (!Driver::kNotifiesItself && connection) {
            connection->OnDeviceEvent(event);
        }
    }
    bool WaitForReports(std::size_t count) {
        return PumpUntil([&] { return window.reports.size() >= count; });
    }
    bool WaitForReaderToEnd() {
        return PumpUntil([&] { return connection->readersRunning() == 0; });
    }
    bool WaitUntilOpen(bool open) {
        return PumpUntil([&] { return connection->isOpen() == open; });
    }
    bool WaitForOutcome(OpenOutcome outcome) {
        return PumpUntil([&] { return connection->lastOpenOutcome() == outcome; });
    }

    Driver driver;
    FakeTabletWindow window;
    std::unique_ptr<TabletConnection> connection;
};

TYPED_TEST_SUITE_P(PortConnectionTest);

TYPED_TEST_P(PortConnectionTest, NoTabletAtStartShowsNotConnectedAndStartsNoReader) {
    this->Initialise();
    EXPECT_EQ(this->window.status(), STATUS_DISCONNECTED);
    EXPECT_FALSE(this->connection->isOpen());
    EXPECT_EQ(this->connection->readersStarted(), 0);
    EXPECT_EQ(this->connection->lastOpenOutcome(), OpenOutcome::NoDevice);
}

TYPED_TEST_P(PortConnectionTest, APlugConnectsAndStrokesArrive) {
    this->Initialise();
    this->Plug();
    ASSERT_TRUE(this->WaitUntilOpen(true));
    EXPECT_EQ(this->window.status(), STATUS_CONNECTED);
    EXPECT_EQ(this->connection->extent(), (TabletExtent{40000, 50000}));
    EXPECT_EQ(this->connection->readersStarted(), 1);
    this->driver.SendReport(Report(10000, 20000, 1000));
    this->driver.SendReport(Report(10001, 20001, 0));
    ASSERT_TRUE(this->WaitForReports(2));
    EXPECT_EQ(this->window.reports[0], Report(10000, 20000, 1000));
    EXPECT_EQ(this->window.reports[1], Report(10001, 20001, 0));
}

TYPED_TEST_P(PortConnectionTest, TabletPresentAtStartConnectsAtInitialisation) {
    this->Plug();
    this->Initialise();
    EXPECT_TRUE(this->connection->isOpen());
    EXPECT_EQ(this->window.statusTexts, std::vector<std::string>{std::string(STATUS_CONNECTED)});
    EXPECT_EQ(this->connection->readersStarted(), 1);
}

TYPED_TEST_P(PortConnectionTest, UnplugShowsNotConnectedEndsTheReaderAndClosesTheLink) {
    this->Plug();
    this->Initialise();
    this->Unplug();
    ASSERT_TRUE(this->WaitUntilOpen(false));
    EXPECT_EQ(this->window.status(), STATUS_DISCONNECTED);
    EXPECT_EQ(this->driver.openDevices(), 0);
    EXPECT_TRUE(this->WaitForReaderToEnd());
}

TYPED_TEST_P(PortConnectionTest, PlugAgainRereadsTheExtentAndStartsANewReader) {
    this->Plug();
    this->Initialise();
    this->Unplug();
    ASSERT_TRUE(this->WaitUntilOpen(false));
    this->Plug({TABLET_VENDOR_ID, std::vector<std::uint8_t>{0x0C, 0x03, 0x20, 0x4E, 0x10, 0x27}});
    ASSERT_TRUE(this->WaitUntilOpen(true));
    EXPECT_EQ(this->connection->extent(), (TabletExtent{20000, 10000}));
    EXPECT_EQ(this->connection->readersStarted(), 2);
    EXPECT_EQ(this->window.status(), STATUS_CONNECTED);
    this->driver.SendReport(Report(5, 6, 7));
    ASSERT_TRUE(this->WaitForReports(1));
    EXPECT_EQ(this->window.reports[0], Report(5, 6, 7));
}

TYPED_TEST_P(PortConnectionTest, WrongVendorAtStartIsNotConnectedAndLeavesTheLinkClosed) {
    this->Plug({0x1234, std::nullopt});
    this->Initialise();
    EXPECT_EQ(this->window.status(), STATUS_DISCONNECTED);
    EXPECT_FALSE(this->connection->isOpen());
    EXPECT_EQ(this->connection->lastOpenOutcome(), OpenOutcome::WrongVendor);
    EXPECT_EQ(this->driver.openDevices(), 0);
    EXPECT_EQ(this->connection->readersStarted(), 0);
}

TYPED_TEST_P(PortConnectionTest, WrongVendorOnArrivalLeavesTheStatusAlone) {
    this->Initialise();
    const std::size_t texts = this->window.statusTexts.size();
    this->Plug({0x1234, std::nullopt});
    ASSERT_TRUE(this->WaitForOutcome(OpenOutcome::WrongVendor));
    EXPECT_EQ(this->window.statusTexts.size(), texts);
    EXPECT_FALSE(this->connection->isOpen());
    EXPECT_EQ(this->driver.openDevices(), 0);
}

TYPED_TEST_P(PortConnectionTest, EmptyParameterReplyOpensWithZeroExtentAndReportsStillFlow) {
    this->Initialise();
    this->Plug({TABLET_VENDOR_ID, std::vector<std::uint8_t>{}});
    ASSERT_TRUE(this->WaitUntilOpen(true));
    EXPECT_EQ(this->connection->extent(), (TabletExtent{0, 0}));
    this->driver.SendReport(Report(1, 2, 3));
    ASSERT_TRUE(this->WaitForReports(1));
}

TYPED_TEST_P(PortConnectionTest, ShortParameterReplyOpensWithMaxYZero) {
    this->Initialise();
    this->Plug({TABLET_VENDOR_ID, std::vector<std::uint8_t>{0x04, 0x03, 0x40, 0x9C}});
    ASSERT_TRUE(this->WaitUntilOpen(true));
    EXPECT_EQ(this->connection->extent(), (TabletExtent{40000, 0}));
    this->driver.SendReport(Report(10000, 20000, 1000));
    ASSERT_TRUE(this->WaitForReports(1));
}

TYPED_TEST_P(PortConnectionTest, AFailedOpenKeepsTheExtentOfTheLastSuccessfulOne) {
    this->Plug();
    this->Initialise();
    this->Unplug();
    ASSERT_TRUE(this->WaitUntilOpen(false));
    this->Plug({0x1234, std::nullopt});
    ASSERT_TRUE(this->WaitForOutcome(OpenOutcome::WrongVendor));
    EXPECT_EQ(this->connection->extent(), (TabletExtent{40000, 50000}));
}

TYPED_TEST_P(PortConnectionTest, ReportsArriveInOrderOneAtATime) {
    this->Plug();
    this->Initialise();
    for (std::uint16_t i = 0; i < 200; ++i) {
        this->driver.SendReport(Report(i, static_cast<std::uint16_t>(1000 - i), i));
    }
    ASSERT_TRUE(this->WaitForReports(200));
    for (std::uint16_t i = 0; i < 200; ++i) {
        ASSERT_EQ(this->window.reports[i], Report(i, static_cast<std::uint16_t>(1000 - i), i));
    }
}

TYPED_TEST_P(PortConnectionTest, RemovalWhileNothingIsOpenStillShowsNotConnected) {
    this->Initialise();
    this->window.statusTexts.clear();
    this->connection->OnDeviceEvent(UsbDeviceEvent::Removed);
    EXPECT_EQ(this->window.status(), STATUS_DISCONNECTED);
    EXPECT_FALSE(this->connection->CloseTablet());
}

TYPED_TEST_P(PortConnectionTest, RemovalAfterAnEndedReaderIsHarmless) {
    this->Plug();
    this->Initialise();
    this->Unplug();
    ASSERT_TRUE(this->WaitUntilOpen(false));
    ASSERT_TRUE(this->WaitForReaderToEnd());
    this->connection->OnDeviceEvent(UsbDeviceEvent::Removed);
    EXPECT_EQ(this->window.status(), STATUS_DISCONNECTED);
}

TYPED_TEST_P(PortConnectionTest, AnArrivalWhileOpenLeavesTheOpenTabletAndItsReaderAlone) {
    this->Plug();
    this->Initialise();
    this->connection->OnDeviceEvent(UsbDeviceEvent::Arrived);
    EXPECT_TRUE(this->connection->isOpen());
    EXPECT_EQ(this->connection->readersStarted(), 1);
    EXPECT_EQ(this->driver.openDevices(), 1);
    this->driver.SendReport(Report(1, 2, 3));
    ASSERT_TRUE(this->WaitForReports(1));
}

TYPED_TEST_P(PortConnectionTest, HandleEventsAboutAnUnwatchedHandleChangeNothing) {
    this->Plug();
    this->Initialise();
    for (const DeviceHandleEvent event :
         {DeviceHandleEvent::RemovalRequested, DeviceHandleEvent::RemovalPending,
          DeviceHandleEvent::Removed, DeviceHandleEvent::RemovalFailed}) {
        this->connection->OnDeviceHandleEvent(0x4008, event);
    }
    EXPECT_TRUE(this->connection->isOpen());
    EXPECT_EQ(this->window.statusTexts.size(), 1u);
    EXPECT_EQ(this->connection->readersStarted(), 1);
}

TYPED_TEST_P(PortConnectionTest, AReportReadBeforeTheUnplugIsStillHandedOver) {
    this->Plug();
    this->Initialise();
    this->driver.SendReport(Report(9, 9, 9));
    // The reader took the report and waits for this thread; the removal comes before it.
    ASSERT_TRUE(this->driver.WaitForReportsTaken(1));
    this->connection->OnDeviceEvent(UsbDeviceEvent::Removed);
    ASSERT_TRUE(this->WaitForReports(1));
    EXPECT_EQ(this->window.reports[0], Report(9, 9, 9));
    EXPECT_TRUE(this->WaitForReaderToEnd());
}

TYPED_TEST_P(PortConnectionTest, ADeviceVanishingDuringAReadHandsNothingOver) {
    this->Plug();
    this->Initialise();
    ASSERT_TRUE(this->driver.WaitForPendingRead());
    // The pending read ends in an error before the removal reaches this thread; a hand-over of
    // the failed read would reach this thread first.
    this->driver.Unplug();
    ASSERT_TRUE(this->driver.WaitForTheReadToFail());
    this->Notify(UsbDeviceEvent::Removed);
    ASSERT_TRUE(this->WaitUntilOpen(false));
    EXPECT_EQ(this->window.status(), STATUS_DISCONNECTED);
    EXPECT_EQ(this->driver.openDevices(), 0);
    EXPECT_TRUE(this->WaitForReaderToEnd());
    QCoreApplication::processEvents();
    EXPECT_TRUE(this->window.reports.empty());
}

TYPED_TEST_P(PortConnectionTest, TeardownDuringAHandOverAbandonsItAndLeavesNoReader) {
    this->Plug();
    this->Initialise();
    this->driver.SendReport(Report(9, 9, 9));
    ASSERT_TRUE(this->driver.WaitForReportsTaken(1));
    g_readerRunning = false;
    this->connection->Shutdown();  // would deadlock if it waited for the reader in its hand-over
    EXPECT_EQ(this->connection->readersRunning(), 0);
    EXPECT_EQ(this->driver.openDevices(), 0);
    this->connection.reset();
    EXPECT_TRUE(this->window.reports.empty());
    // Events still queued for the window must not reach it after teardown.
    QCoreApplication::processEvents();
    EXPECT_TRUE(this->window.reports.empty());
}

TYPED_TEST_P(PortConnectionTest, NothingHappensAfterShutdown) {
    this->Plug();
    this->Initialise();
    g_readerRunning = false;
    this->connection->Shutdown();
    const std::size_t texts = this->window.statusTexts.size();
    this->Unplug();
    this->Plug();
    QCoreApplication::processEvents();
    EXPECT_FALSE(this->connection->ConnectTablet());
    EXPECT_EQ(this->window.statusTexts.size(), texts);
    this->connection->Shutdown();  // twice is fine
}

REGISTER_TYPED_TEST_SUITE_P(
    PortConnectionTest, NoTabletAtStartShowsNotConnectedAndStartsNoReader,
    APlugConnectsAndStrokesArrive, TabletPresentAtStartConnectsAtInitialisation,
    UnplugShowsNotConnectedEndsTheReaderAndClosesTheLink,
    PlugAgainRereadsTheExtentAndStartsANewReader,
    WrongVendorAtStartIsNotConnectedAndLeavesTheLinkClosed,
    WrongVendorOnArrivalLeavesTheStatusAlone,
    EmptyParameterReplyOpensWithZeroExtentAndReportsStillFlow, ShortParameterReplyOpensWithMaxYZero,
    AFailedOpenKeepsTheExtentOfTheLastSuccessfulOne, ReportsArriveInOrderOneAtATime,
    RemovalWhileNothingIsOpenStillShowsNotConnected, RemovalAfterAnEndedReaderIsHarmless,
    AnArrivalWhileOpenLeavesTheOpenTabletAndItsReaderAlone,
    HandleEventsAboutAnUnwatchedHandleChangeNothing, AReportReadBeforeTheUnplugIsStillHandedOver,
    ADeviceVanishingDuringAReadHandsNothingOver, TeardownDuringAHandOverAbandonsItAndLeavesNoReader,
    NothingHappensAfterShutdown);

}  // namespace ondrel::test
