#include "tablet/report_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "tablet/reader_flag.h"
#include "tablet/sim/sim_tablet.h"
#include "tablet/tablet_link.h"
#include "tests/tablet/recording_sink.h"
#include "tests/tablet/tablet_test_support.h"

namespace ondrel {
namespace {

using namespace std::chrono_literals;
using test::RecordingSink;
using test::Report;

class ReportReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_readerRunning = true;
        sim.Plug();
        TabletExtent extent;
        ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    }
    void TearDown() override {
        // A test that failed part-way leaves its reader running, maybe held in the sink: end
        // it here, or its thread would be waited for without end.
        sink.Hold(false);
        for (const std::shared_ptr<ReaderThread>& reader : started_) {
            reader->Stop();
            reader->Join();
        }
        g_readerRunning = true;  // the flag is cleared only once in a program; tests reuse it
    }
    std::shared_ptr<ReaderThread> Start(std::chrono::milliseconds turn = 60s) {
        std::shared_ptr<ReaderThread> reader =
            StartReader(link.device, link.pipeInfo.pipeId, sink, turn);
        if (reader) {
            started_.push_back(reader);
        }
        return reader;
    }
    bool WaitForPendingRead() {
        return sim.WaitFor([](const SimTablet& s) { return s.readsPending() == 1; }, 20s);
    }

    SimTablet sim;
    TabletLink link;
    RecordingSink sink;
    std::vector<std::shared_ptr<ReaderThread>> started_;
};

TEST_F(ReportReaderTest, HandsReportsOverInOrderOneAtATime) {
    sink.Hold(true);
    auto reader = Start();
    for (std::uint16_t i = 0; i < 5; ++i) {
        sim.QueueReport(Report(i, i, 100));
    }
    ASSERT_TRUE(sink.WaitForReports(1));
    // While the window holds the first report, no other read is made.
    EXPECT_EQ(sim.reportsRead(), 1);
    EXPECT_EQ(sim.readsPending(), 0);
    sink.Hold(false);
    ASSERT_TRUE(sink.WaitForReports(5));
    const std::vector<PenReportBytes> got = sink.reports();
    for (std::uint16_t i = 0; i < 5; ++i) {
        EXPECT_EQ(got[i], Report(i, i, 100));
    }
    reader->Stop();
    reader->Join();
    EXPECT_TRUE(reader->finished());
}

TEST_F(ReportReaderTest, NothingSentMeansTheReadIsCancelledAndRestartedEachTurn) {
    auto reader = Start(20ms);
    EXPECT_TRUE(sim.WaitFor([](const SimTablet& s) { return s.readsStarted() >= 4; }, 20s));
    EXPECT_TRUE(sink.reports().empty());
    reader->Stop();
    reader->Join();
}

TEST_F(ReportReaderTest, AQuitRequestWhileWaitingFinishesTheTurnThenEnds) {
    auto reader = Start();
    ASSERT_TRUE(WaitForPendingRead());
    reader->RequestQuit();
    sim.QueueReport(Report(1, 2, 3));  // completes the read under way
    ASSERT_TRUE(sink.WaitForReports(1));
    reader->Join();
    EXPECT_TRUE(reader->finished());
    EXPECT_EQ(sim.readsStarted(), 1);  // no read after the quit request
    EXPECT_EQ(sink.reports().front(), Report(1, 2, 3));
}

TEST_F(ReportReaderTest, AClearedFlagWhileWaitingFinishesTheTurnThenEnds) {
    auto reader = Start();
    ASSERT_TRUE(WaitForPendingRead());
    g_readerRunning = false;
    sim.QueueReport(Report(4, 5, 6));
    ASSERT_TRUE(sink.WaitForReports(1));
    reader->Join();
    EXPECT_EQ(sim.readsStarted(), 1);
}

TEST_F(ReportReaderTest, AReaderStartedAfterTheFlagWasClearedEndsWithoutARead) {
    g_readerRunning = false;
    auto reader = Start();
    reader->Join();
    EXPECT_TRUE(reader->finished());
    EXPECT_EQ(sim.readsStarted(), 0);
}

TEST_F(ReportReaderTest, StopEndsAPendingReadAtOnce) {
    auto reader = Start(1h);
    ASSERT_TRUE(WaitForPendingRead());
    reader->Stop();
    reader->Join();  // would hang for an hour otherwise
    EXPECT_TRUE(sink.reports().empty());
}

TEST_F(ReportReaderTest, ClosingTheDeviceEndsThePendingReadWithoutAReport) {
    auto reader = Start(1h);
    ASSERT_TRUE(WaitForPendingRead());
    CloseTablet(link);  // returns only once the read is over
    EXPECT_EQ(sim.readsPending(), 0);
    sim.QueueReport(Report(1, 1, 1));
    reader->Stop();
    reader->Join();
    EXPECT_TRUE(sink.reports().empty());
    EXPECT_EQ(sim.reportsRead(), 0);
}

TEST_F(ReportReaderTest, AGoneDeviceIsNotReadInABusyLoop) {
    auto reader = Start(1h);
    ASSERT_TRUE(WaitForPendingRead());
    sim.Unplug();  // the read fails; the reader idles for the rest of its turn
    ASSERT_TRUE(sim.WaitFor([](const SimTablet& s) { return s.readsPending() == 0; }, 20s));
    EXPECT_EQ(sim.readsStarted(), 1);
    EXPECT_TRUE(sink.reports().empty());
    reader->Stop();
    reader->Join();
    EXPECT_EQ(sim.readsStarted(), 1);
}

TEST_F(ReportReaderTest, TheFirstReportStartsFromTheZeroedBufferAndIsDeliveredWhole) {
    auto reader = Start();
    const PenReportBytes report = {0, 0, 0x10, 0x27, 0x20, 0x4E, 0xE8, 0x03};
    sim.QueueReport(report);
    ASSERT_TRUE(sink.WaitForReports(1));
    EXPECT_EQ(sink.reports().front(), report);
    reader->Stop();
    reader->Join();
}

TEST_F(ReportReaderTest, AShortReadIsDeliveredWithWhatThePreviousReadLeft) {
    auto reader = Start();
    sim.QueueReport({1, 2, 3, 4, 5, 6, 7, 8});
    sim.QueueReport({9, 9, 9, 9, 0, 0, 0, 0}, 4);
    ASSERT_TRUE(sink.WaitForReports(2));
    EXPECT_EQ(sink.reports()[1], (PenReportBytes{9, 9, 9, 9, 5, 6, 7, 8}));
    reader->Stop();
    reader->Join();
}

TEST(ReaderTurn, Is600Milliseconds) {
    EXPECT_EQ(READER_TURN, 600ms);
}

}  // namespace
}  // namespace ondrel
