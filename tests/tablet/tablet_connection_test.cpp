#include "tablet/tablet_connection.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <algorithm>
#include <fstream>

#include "tablet/reader_flag.h"
#include "tablet/sim/sim_tablet.h"
#include "tests/tablet/tablet_test_support.h"

namespace ondrel {
namespace {

using namespace std::chrono_literals;
using test::FakeTabletWindow;
using test::PumpUntil;
using test::Report;

// The signing window's use of the connection, over the simulated tablet, on this thread's
// event loop.
class TabletConnectionTest : public ::testing::Test {
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
        auto port = std::make_unique<SimTablet>();
        sim = port.get();
        if (!scriptAtStart.empty()) {
            const std::string path =
                ::testing::TempDir() + "/connection-script-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
            std::ofstream(path) << scriptAtStart;
            sim->RunScript(path);
        }
        if (plugAtStart) {
            sim->Plug(vendorAtStart);
        }
        connection = std::make_unique<TabletConnection>(window, std::move(port));
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
        connection.reset();
    }
    bool WaitForReports(std::size_t count) {
        return PumpUntil([&] { return window.reports.size() >= count; });
    }
    bool WaitForReaderToEnd() {
        return PumpUntil([&] { return connection->readersRunning() == 0; });
    }

    std::string scriptAtStart;  // a simulated tablet's script, run before the connection starts
    bool plugAtStart = false;
    std::uint16_t vendorAtStart = TABLET_VENDOR_ID;
    FakeTabletWindow window;
    SimTablet* sim = nullptr;
    std::unique_ptr<TabletConnection> connection;
};

TEST_F(TabletConnectionTest, NoTabletAtStartShowsNotConnectedAndStartsNoReader) {
    Initialise();
    EXPECT_EQ(window.status(), STATUS_DISCONNECTED);
    EXPECT_FALSE(connection->isOpen());
    EXPECT_EQ(connection->readersStarted(), 0);
    EXPECT_EQ(connection->lastOpenOutcome(), OpenOutcome::NoDevice);
}

TEST_F(TabletConnectionTest, APlugConnectsAndStrokesArrive) {
    Initialise();
    sim->Plug();
    ASSERT_TRUE(PumpUntil([&] { return connection->isOpen(); }));
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
    EXPECT_EQ(connection->extent(), (TabletExtent{40000, 50000}));
    EXPECT_EQ(connection->readersStarted(), 1);
    sim->QueueReport(Report(10000, 20000, 1000));
    sim->QueueReport(Report(10001, 20001, 0));
    ASSERT_TRUE(WaitForReports(2));
    EXPECT_EQ(window.reports[0], Report(10000, 20000, 1000));
    EXPECT_EQ(window.reports[1], Report(10001, 20001, 0));
}

TEST_F(TabletConnectionTest, TabletPresentAtStartConnectsAtInitialisation) {
    plugAtStart = true;
    Initialise();
    EXPECT_TRUE(connection->isOpen());
    EXPECT_EQ(window.statusTexts, std::vector<std::string>{std::string(STATUS_CONNECTED)});
    EXPECT_EQ(connection->readersStarted(), 1);
}

TEST_F(TabletConnectionTest, UnplugShowsNotConnectedEndsTheReaderAndClosesTheLink) {
    plugAtStart = true;
    Initialise();
    sim->Unplug();
    ASSERT_TRUE(PumpUntil([&] { return !connection->isOpen(); }));
    EXPECT_EQ(window.status(), STATUS_DISCONNECTED);
    EXPECT_EQ(sim->openDevices(), 0);
    EXPECT_TRUE(WaitForReaderToEnd());
}

TEST_F(TabletConnectionTest, PlugAgainRereadsTheExtentAndStartsANewReader) {
    plugAtStart = true;
    Initialise();
    sim->Unplug();
    ASSERT_TRUE(PumpUntil([&] { return !connection->isOpen(); }));
    sim->SetParamReply({0x0C, 0x03, 0x20, 0x4E, 0x10, 0x27});
    sim->Plug();
    ASSERT_TRUE(PumpUntil([&] { return connection->isOpen(); }));
    EXPECT_EQ(connection->extent(), (TabletExtent{20000, 10000}));
    EXPECT_EQ(connection->readersStarted(), 2);
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
    sim->QueueReport(Report(5, 6, 7));
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(window.reports[0], Report(5, 6, 7));
}

TEST_F(TabletConnectionTest, WrongVendorAtStartIsNotConnectedAndLeavesTheLinkClosed) {
    plugAtStart = true;
    vendorAtStart = 0x1234;
    Initialise();
    EXPECT_EQ(window.status(), STATUS_DISCONNECTED);
    EXPECT_FALSE(connection->isOpen());
    EXPECT_EQ(connection->lastOpenOutcome(), OpenOutcome::WrongVendor);
    EXPECT_EQ(sim->openDevices(), 0);
    EXPECT_EQ(connection->readersStarted(), 0);
}

TEST_F(TabletConnectionTest, WrongVendorOnArrivalLeavesTheStatusAlone) {
    Initialise();
    const std::size_t texts = window.statusTexts.size();
    sim->Plug(0x1234);
    ASSERT_TRUE(
        PumpUntil([&] { return connection->lastOpenOutcome() == OpenOutcome::WrongVendor; }));
    EXPECT_EQ(window.statusTexts.size(), texts);
    EXPECT_FALSE(connection->isOpen());
    EXPECT_EQ(sim->openDevices(), 0);
}

TEST_F(TabletConnectionTest, AnOutEndpointFirstIsNoReportPipe) {
    // A device whose first endpoint sends to the device: the reader would write to it.
    scriptAtStart = "pipe 01\nplug\nsleep 100000\n";
    Initialise();
    EXPECT_EQ(connection->lastOpenOutcome(), OpenOutcome::NoPipe);
    EXPECT_EQ(window.status(), STATUS_DISCONNECTED);
    EXPECT_FALSE(connection->isOpen());
    EXPECT_EQ(connection->readersStarted(), 0);
    EXPECT_EQ(sim->openDevices(), 0);
    EXPECT_TRUE(sim->setupLog().empty()) << "set-up requests went to a device refused";
    EXPECT_EQ(sim->readsStarted(), 0);

    // On arrival (after another vendor's device, so that the outcome changes): refused again;
    // the status line only ever shows the removals of the replugs.
    sim->Plug(0x1234);
    ASSERT_TRUE(
        PumpUntil([&] { return connection->lastOpenOutcome() == OpenOutcome::WrongVendor; }));
    sim->Plug();
    ASSERT_TRUE(PumpUntil([&] { return connection->lastOpenOutcome() == OpenOutcome::NoPipe; }));
    EXPECT_EQ(std::count(window.statusTexts.begin(), window.statusTexts.end(), STATUS_CONNECTED),
              0);
    EXPECT_EQ(sim->openDevices(), 0);
    EXPECT_TRUE(sim->setupLog().empty());
    // One whose first endpoint is IN is the tablet.
    sim->SetPipeAddress(0x81);
    sim->Plug();
    ASSERT_TRUE(PumpUntil([&] { return connection->isOpen(); }));
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
    sim->QueueReport(Report(1, 2, 3));
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(window.reports[0], Report(1, 2, 3));
}

TEST_F(TabletConnectionTest, ANotificationOfAnotherClassReturns0AndChangesNothing) {
    Initialise();
    sim->Plug();  // present, but the notification below is not the tablet's
    auto record = MakeTabletNotificationRecord();
    record[20] ^= 0x01;
    EXPECT_EQ(connection->OnDeviceChange(DEVICE_ARRIVAL, record.data(), record.size()), 0);
    EXPECT_FALSE(connection->isOpen());
}

TEST_F(TabletConnectionTest, ANotificationWithoutARecordReturnsMinus1AndChangesNothing) {
    plugAtStart = true;
    Initialise();
    EXPECT_EQ(connection->OnDeviceChange(DEVICE_REMOVE_COMPLETE, nullptr, 0), -1);
    EXPECT_TRUE(connection->isOpen());
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
}

TEST_F(TabletConnectionTest, OtherEventTypesOfTheClassReturn0AndChangeNothing) {
    plugAtStart = true;
    Initialise();
    const auto record = MakeTabletNotificationRecord();
    EXPECT_EQ(connection->OnDeviceChange(0x8001, record.data(), record.size()), 0);
    EXPECT_EQ(connection->OnDeviceChange(0x8003, record.data(), record.size()), 0);
    EXPECT_TRUE(connection->isOpen());
    EXPECT_EQ(window.statusTexts.size(), 1u);
}

TEST_F(TabletConnectionTest, RemovalWhileNothingIsOpenStillShowsNotConnected) {
    Initialise();
    window.statusTexts.clear();
    const auto record = MakeTabletNotificationRecord();
    EXPECT_EQ(connection->OnDeviceChange(DEVICE_REMOVE_COMPLETE, record.data(), record.size()), 0);
    EXPECT_EQ(window.status(), STATUS_DISCONNECTED);
    EXPECT_FALSE(connection->CloseTablet());
}

TEST_F(TabletConnectionTest, RemovalAfterAnEndedReaderIsHarmless) {
    plugAtStart = true;
    Initialise();
    sim->Unplug();
    ASSERT_TRUE(PumpUntil([&] { return !connection->isOpen(); }));
    ASSERT_TRUE(WaitForReaderToEnd());
    const auto record = MakeTabletNotificationRecord();
    EXPECT_EQ(connection->OnDeviceChange(DEVICE_REMOVE_COMPLETE, record.data(), record.size()), 0);
    EXPECT_EQ(window.status(), STATUS_DISCONNECTED);
}

TEST_F(TabletConnectionTest, AnArrivalWhileOpenLeavesTheOpenTabletAndItsReaderAlone) {
    plugAtStart = true;
    Initialise();
    const auto record = MakeTabletNotificationRecord();
    EXPECT_EQ(connection->OnDeviceChange(DEVICE_ARRIVAL, record.data(), record.size()), 0);
    EXPECT_TRUE(connection->isOpen());
    EXPECT_EQ(connection->readersStarted(), 1);
    EXPECT_EQ(sim->openDevices(), 1);
    sim->QueueReport(Report(1, 2, 3));
    ASSERT_TRUE(WaitForReports(1));
}

TEST_F(TabletConnectionTest, EmptyParameterReplyOpensWithZeroExtentAndReportsStillFlow) {
    Initialise();
    sim->SetParamReply({});
    sim->Plug();
    ASSERT_TRUE(PumpUntil([&] { return connection->isOpen(); }));
    EXPECT_EQ(connection->extent(), (TabletExtent{0, 0}));
    sim->QueueReport(Report(1, 2, 3));
    ASSERT_TRUE(WaitForReports(1));
}

TEST_F(TabletConnectionTest, ShortParameterReplyOpensWithMaxYZero) {
    Initialise();
    sim->SetParamReply({0x04, 0x03, 0x40, 0x9C});
    sim->Plug();
    ASSERT_TRUE(PumpUntil([&] { return connection->isOpen(); }));
    EXPECT_EQ(connection->extent(), (TabletExtent{40000, 0}));
}

TEST_F(TabletConnectionTest, AFailedOpenKeepsTheExtentOfTheLastSuccessfulOne) {
    plugAtStart = true;
    Initialise();
    sim->Unplug();
    ASSERT_TRUE(PumpUntil([&] { return !connection->isOpen(); }));
    sim->Plug(0x1234);
    ASSERT_TRUE(
        PumpUntil([&] { return connection->lastOpenOutcome() == OpenOutcome::WrongVendor; }));
    EXPECT_EQ(connection->extent(), (TabletExtent{40000, 50000}));
}

TEST_F(TabletConnectionTest, ReportsArriveInOrderOneAtATime) {
    plugAtStart = true;
    Initialise();
    for (std::uint16_t i = 0; i < 200; ++i) {
        sim->QueueReport(Report(i, static_cast<std::uint16_t>(1000 - i), i));
    }
    ASSERT_TRUE(WaitForReports(200));
    for (std::uint16_t i = 0; i < 200; ++i) {
        ASSERT_EQ(window.reports[i], Report(i, static_cast<std::uint16_t>(1000 - i), i));
    }
}

TEST_F(TabletConnectionTest, AReportReadBeforeTheUnplugIsStillHandedOver) {
    plugAtStart = true;
    Initialise();
    sim->QueueReport(Report(9, 9, 9));
    // The reader took the report and waits for this thread; the unplug comes before it.
    ASSERT_TRUE(sim->WaitFor([](const SimTablet& s) { return s.reportsRead() == 1; }, 20s));
    const auto record = MakeTabletNotificationRecord();
    connection->OnDeviceChange(DEVICE_REMOVE_COMPLETE, record.data(), record.size());
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(window.reports[0], Report(9, 9, 9));
    EXPECT_TRUE(WaitForReaderToEnd());
}

TEST_F(TabletConnectionTest, TeardownDuringAHandOverAbandonsItAndLeavesNoReader) {
    plugAtStart = true;
    Initialise();
    sim->QueueReport(Report(9, 9, 9));
    ASSERT_TRUE(sim->WaitFor([](const SimTablet& s) { return s.reportsRead() == 1; }, 20s));
    g_readerRunning = false;
    connection->Shutdown();  // would deadlock if it waited for the reader inside its hand-over
    EXPECT_EQ(connection->readersRunning(), 0);
    EXPECT_EQ(sim->openDevices(), 0);
    connection.reset();
    EXPECT_TRUE(window.reports.empty());
    // Events still queued for the window must not reach it after teardown.
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.reports.empty());
}

TEST_F(TabletConnectionTest, NothingHappensAfterShutdown) {
    plugAtStart = true;
    Initialise();
    g_readerRunning = false;
    connection->Shutdown();
    const std::size_t texts = window.statusTexts.size();
    sim->Unplug();
    sim->Plug();
    QCoreApplication::processEvents();
    EXPECT_FALSE(connection->ConnectTablet());
    EXPECT_EQ(window.statusTexts.size(), texts);
    connection->Shutdown();  // twice is fine
}

TEST_F(TabletConnectionTest, TheEnvironmentChoosesTheSimulatedTablet) {
    const std::string script = ::testing::TempDir() + "/plugged.scn";
    {
        FILE* file = std::fopen(script.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs(
            "# the tablet is there at start\nplug\nparam 0C 03 10 27 20 4E\nsleep 1\n"
            "report 07 80 10 27 20 4E E8 03\n",
            file);
        std::fclose(file);
    }
    qputenv("ONDREL_TABLET_SIM", QByteArray::fromStdString(script));
    connection = std::make_unique<TabletConnection>(window);
    qunsetenv("ONDREL_TABLET_SIM");
    EXPECT_TRUE(connection->ConnectTablet());
    EXPECT_EQ(connection->extent(), (TabletExtent{10000, 20000}));
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(window.reports[0], Report(10000, 20000, 1000));
}

}  // namespace
}  // namespace ondrel
