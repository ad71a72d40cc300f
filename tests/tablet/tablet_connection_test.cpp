// The connection over the simulated tablet: the suite every port runs, and what only the
// simulated tablet has (its script, the environment that chooses it).

#include "tablet/tablet_connection.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <algorithm>

#include "tablet/reader_flag.h"
#include "tablet/sim/sim_tablet.h"
#include "tests/support/temp_folder.h"
#include "tests/tablet/port_connection_suite.h"
#include "tests/tablet/tablet_test_support.h"

namespace ondrel {
namespace {

using namespace std::chrono_literals;
using test::FakeTabletWindow;
using test::PumpUntil;
using test::Report;
using test::TempFolder;

}  // namespace

namespace test {

// The simulated tablet as a port of the connection suite.
class SimTabletDriver {
  public:
    static constexpr bool kNotifiesItself = true;

    std::unique_ptr<UsbPort> MakePort() { return std::move(owned_); }
    void Plug(const test::TestTablet& tablet) {
        if (tablet.paramReply) {
            sim_->SetParamReply(*tablet.paramReply);
        }
        sim_->Plug(tablet.vendorId);
    }
    void Unplug() { sim_->Unplug(); }
    void SendReport(const PenReportBytes& report) { sim_->QueueReport(report); }
    bool WaitForReportsTaken(int count) {
        return sim_->WaitFor([count](const SimTablet& s) { return s.reportsRead() >= count; }, 20s);
    }
    bool WaitForPendingRead() {
        return sim_->WaitFor([](const SimTablet& s) { return s.readsPending() >= 1; }, 20s);
    }
    bool WaitForTheReadToFail() {
        return sim_->WaitFor([](const SimTablet& s) { return s.readsPending() == 0; }, 20s);
    }
    int openDevices() { return sim_->openDevices(); }
    void ExpectNothingLeft() { EXPECT_EQ(sim_->openDevices(), 0); }

  private:
    std::unique_ptr<SimTablet> owned_ = std::make_unique<SimTablet>();
    SimTablet* sim_ = owned_.get();  // the connection's once it has the port
};

INSTANTIATE_TYPED_TEST_SUITE_P(SimulatedTabletConnection, PortConnectionTest,
                               ::testing::Types<SimTabletDriver>);

}  // namespace test

namespace {

// What only the simulated tablet plays, on this thread's event loop.
class TabletConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override { g_readerRunning = true; }
    void TearDown() override {
        if (connection) {
            g_readerRunning = false;
            connection->Shutdown();
            EXPECT_EQ(connection->readersRunning(), 0);
            connection.reset();
        }
        g_readerRunning = true;
    }

    // What the window's initialisation does, with the tablet playing `script` from the start.
    void Initialise(const std::string& script) {
        auto port = std::make_unique<SimTablet>();
        sim = port.get();
        sim->RunScript(folder.Write("connection.scn", script).string());
        connection = std::make_unique<TabletConnection>(window, std::move(port));
        if (!connection->ConnectTablet()) {
            window.SetStatusText(STATUS_DISCONNECTED);
        }
        connection->RegisterTabletNotifications();
    }
    bool WaitForReports(std::size_t count) {
        return PumpUntil([&] { return window.reports.size() >= count; });
    }

    TempFolder folder;
    FakeTabletWindow window;
    SimTablet* sim = nullptr;
    std::unique_ptr<TabletConnection> connection;
};

TEST_F(TabletConnectionTest, AnOutEndpointFirstIsNoReportPipe) {
    // A device whose first endpoint sends to the device: the reader would write to it.
    Initialise("pipe 01\nplug\nsleep 100000\n");
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

TEST_F(TabletConnectionTest, TheEnvironmentChoosesTheSimulatedTablet) {
    const std::string script =
        folder
            .Write("plugged.scn",
                   "# the tablet is there at start\nplug\nparam 0C 03 10 27 20 4E\nsleep 1\n"
                   "report 07 80 10 27 20 4E E8 03\n")
            .string();
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
