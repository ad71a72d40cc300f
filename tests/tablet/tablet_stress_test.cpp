// Plugging, unplugging and tearing down under load. Run under ThreadSanitizer and
// AddressSanitizer (presets tsan and asan): no race, no deadlock, no leak, no reader left.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "tablet/reader_flag.h"
#include "tablet/sim/sim_tablet.h"
#include "tablet/tablet_connection.h"
#include "tests/support/thread_count.h"
#include "tests/tablet/tablet_test_support.h"

namespace ondrel {
namespace {

using namespace std::chrono_literals;
using test::FakeTabletWindow;
using test::PumpUntil;
using test::Report;
using test::ThreadCount;

TEST(TabletStress, AThousandPlugUnplugCyclesWithReportsFlowing) {
    g_readerRunning = true;
    FakeTabletWindow window;
    auto port = std::make_unique<SimTablet>();
    SimTablet& sim = *port;
    TabletConnection connection(window, std::move(port));
    connection.RegisterTabletNotifications();

    // Reports keep coming from another thread whatever the state of the tablet.
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        std::uint16_t i = 0;
        while (feeding) {
            sim.Report(Report(i, i, 1));  // returns once read, or dropped at unplug
            ++i;
        }
    });

    // The first failure ends the cycles; it is asserted only once the feeder is joined, since
    // leaving the test with the feeder running would end the whole program.
    constexpr int CYCLES = 1000;
    int cycle = 0;
    std::string failure;
    for (; cycle < CYCLES && failure.empty(); ++cycle) {
        const std::size_t before = window.reports.size();
        sim.Plug();
        if (!PumpUntil([&] { return connection.isOpen(); })) {
            failure = "no open";
        } else if (!PumpUntil([&] { return window.reports.size() > before; })) {
            failure = "no report";
        } else {
            sim.Unplug();
            if (!PumpUntil([&] { return !connection.isOpen(); })) {
                failure = "no close";
            } else if (window.status() != STATUS_DISCONNECTED) {
                failure = "status " + window.status();
            }
        }
    }
    const bool readersEnded = PumpUntil([&] { return connection.readersRunning() == 0; });

    feeding = false;
    sim.Halt();
    feeder.join();
    g_readerRunning = false;
    connection.Shutdown();
    g_readerRunning = true;

    ASSERT_EQ(failure, "") << "cycle " << cycle - 1;
    EXPECT_EQ(connection.readersStarted(), CYCLES);
    EXPECT_TRUE(readersEnded);
    EXPECT_EQ(sim.openDevices(), 0);
}

TEST(TabletStress, TwoHundredTeardownsWhileAHandOverIsInProgress) {
    // The flag is cleared in every round; a failed assertion must not leave it so for the
    // tests after this one.
    struct RestoreFlag {
        ~RestoreFlag() { g_readerRunning = true; }
    } restoreFlag;
    std::thread([] {}).join();  // lets a sanitizer start its own helper thread first
    const std::size_t threadsBefore = ThreadCount();
    for (int round = 0; round < 200; ++round) {
        g_readerRunning = true;
        auto window = std::make_unique<FakeTabletWindow>();
        auto port = std::make_unique<SimTablet>();
        SimTablet& sim = *port;
        sim.Plug();
        auto connection = std::make_unique<TabletConnection>(*window, std::move(port));
        ASSERT_TRUE(connection->ConnectTablet());
        connection->RegisterTabletNotifications();
        sim.QueueReport(Report(1, 2, 3));
        sim.QueueReport(Report(4, 5, 6));
        // The reader has the first report and waits for this thread, which does not look.
        ASSERT_TRUE(sim.WaitFor([](const SimTablet& s) { return s.reportsRead() == 1; }, 20s));
        sim.Unplug();  // a notification on its way, too

        g_readerRunning = false;
        connection->Shutdown();
        EXPECT_EQ(connection->readersRunning(), 0);
        connection.reset();
        window.reset();
        // Whatever was still queued for the window must find nothing to call.
        QCoreApplication::processEvents();
        // A joined thread can still be listed for a moment while the kernel finishes its exit;
        // a thread that was never joined stays listed for good.
        ASSERT_TRUE(PumpUntil([&] { return ThreadCount() == threadsBefore; }, 5s))
            << "round " << round << ": " << ThreadCount() << " threads, " << threadsBefore
            << " before";
    }
    g_readerRunning = true;
}

}  // namespace
}  // namespace ondrel
