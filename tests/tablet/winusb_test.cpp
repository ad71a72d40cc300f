// The WinUSB port and the real connection over a fake of SetupAPI and WinUSB, on this thread's
// event loop as the signing window runs them: the suite every port runs, and what only WinUSB
// has (its calls and their arguments, two interfaces of the class, overlapped reads).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "tablet/reader_flag.h"
#include "tablet/report_reader.h"
#include "tablet/sim/sim_script.h"
#include "tablet/tablet_connection.h"
#include "tablet/usb/winusb_port_win.h"
#include "tests/tablet/fake_winusb_api.h"
#include "tests/tablet/port_connection_suite.h"
#include "tests/tablet/recording_sink.h"
#include "tests/tablet/scenario_expectations.h"
#include "tests/tablet/tablet_test_support.h"

namespace ondrel {
namespace {

using namespace std::chrono_literals;
using test::FakeTabletWindow;
using test::FakeUsbDevice;
using test::FakeWinUsb;
using test::PumpUntil;
using test::Report;

// Nothing the port took is left behind, and it made no call on what it had let go.
void ExpectNothingHeld(const FakeWinUsb& fake) {
    const FakeWinUsb::Counts counts = fake.counts();
    EXPECT_EQ(counts.listsOpen, 0);
    EXPECT_EQ(counts.filesOpen, 0);
    EXPECT_EQ(counts.usbHandlesOpen, 0);
    EXPECT_EQ(counts.callsOnDeadHandles, 0);
    EXPECT_EQ(counts.readsAtOnce, 0);
}

}  // namespace

namespace test {

// The WinUSB port over the fake as a port of the connection suite. Windows tells the window of
// plugging, not the port: the suite brings each notification itself.
class WinUsbDriver {
  public:
    static constexpr bool kNotifiesItself = false;

    std::unique_ptr<UsbPort> MakePort() { return std::make_unique<WinUsbPort>(fake_.api()); }
    void Plug(const test::TestTablet& tablet) {
        FakeUsbDevice device;
        device.vendorId = tablet.vendorId;
        if (tablet.paramReply) {
            device.paramReply = *tablet.paramReply;
        }
        fake_.Plug(device);
    }
    void Unplug() { fake_.Unplug(); }
    void SendReport(const PenReportBytes& report) { fake_.SendReport(report); }
    bool WaitForReportsTaken(int count) {
        return fake_.WaitForCounts(
            [count](const FakeWinUsb::Counts& c) { return c.readsCompleted >= count; });
    }
    bool WaitForPendingRead() { return fake_.WaitForPendingRead(); }
    bool WaitForTheReadToFail() {
        // The reader's next turn asks for a read again, and is refused.
        return fake_.WaitForCounts([](const FakeWinUsb::Counts& c) { return c.readsRefused >= 1; });
    }
    int openDevices() { return fake_.counts().filesOpen; }
    void ExpectNothingLeft() { ExpectNothingHeld(fake_); }

  private:
    FakeWinUsb fake_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(WinUsbConnection, PortConnectionTest,
                               ::testing::Types<WinUsbDriver>);

}  // namespace test

namespace {

class WinUsbConnectionTest : public ::testing::Test {
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
        ExpectNothingHeld(fake);
    }

    // What the window's initialisation does.
    void Initialise() {
        connection =
            std::make_unique<TabletConnection>(window, std::make_unique<WinUsbPort>(fake.api()));
        if (!connection->ConnectTablet()) {
            window.SetStatusText(STATUS_DISCONNECTED);
        }
        connection->RegisterTabletNotifications();
    }
    bool WaitForReports(std::size_t count) {
        return PumpUntil([&] { return window.reports.size() >= count; });
    }
    bool WaitForReaderToEnd() {
        return PumpUntil([&] { return connection->readersRunning() == 0; });
    }

    FakeWinUsb fake;
    FakeTabletWindow window;
    std::unique_ptr<TabletConnection> connection;
};

TEST_F(WinUsbConnectionTest, OpensByTheInterfaceClassAndSendsTheSixSetUpPacketsAsGiven) {
    fake.Plug();
    Initialise();
    ASSERT_TRUE(connection->isOpen());
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
    EXPECT_EQ(connection->extent().maxX, 40000u);
    EXPECT_EQ(connection->extent().maxY, 50000u);

    const FakeWinUsb::Counts counts = fake.counts();
    EXPECT_EQ(counts.lastLookupFlags, static_cast<DWORD>(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    EXPECT_EQ(counts.lastLookupFlags, 0x12u);
    EXPECT_FALSE(counts.lastLookupHadEnumerator);
    EXPECT_EQ(counts.lastAccess, 0xC0000000u);
    EXPECT_EQ(counts.lastShare, 3u);
    EXPECT_EQ(counts.lastDisposition, 3u);
    EXPECT_EQ(counts.lastFlags, 0x40000000u);

    // The parameter request, then the five initialisation requests; wLength 0x5678 intact,
    // 32 bytes of reply buffer, each one complete before the call returns.
    const std::vector<FakeWinUsb::ControlCall> calls = fake.controlCalls();
    const std::vector<UsbSetupPacket> expected = {
        {0x80, 0x06, 0x64, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x01, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x63, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x65, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x7B, 0x03, 0x09, 0x04, 0x78, 0x56},
        {0x80, 0x06, 0x7A, 0x03, 0x09, 0x04, 0x78, 0x56},
    };
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].setup, expected[i]) << "request " << i;
        EXPECT_EQ(calls[i].bufferLength, 32u) << "request " << i;
        EXPECT_FALSE(calls[i].overlapped) << "request " << i;
    }
}

TEST_F(WinUsbConnectionTest, ReportsReachTheWindowInOrderFromTheFirstPipe) {
    fake.Plug();
    Initialise();
    fake.SendReport(Report(1, 2, 3));
    fake.SendReport(Report(4, 5, 6));
    fake.SendReport(Report(7, 8, 0));
    ASSERT_TRUE(WaitForReports(3));
    EXPECT_EQ(window.reports[0], Report(1, 2, 3));
    EXPECT_EQ(window.reports[1], Report(4, 5, 6));
    EXPECT_EQ(window.reports[2], Report(7, 8, 0));
    EXPECT_EQ(fake.counts().lastReadPipe, 0x81);
    EXPECT_EQ(fake.counts().lastReadLength, PEN_REPORT_SIZE);
}

TEST_F(WinUsbConnectionTest, APipeOfLargerPacketsIsReadAWholePacketAtATime) {
    FakeUsbDevice device;
    device.maximumPacketSize = 64;
    fake.Plug(device);
    Initialise();
    fake.SendReport(Report(10, 20, 30));
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(window.reports[0], Report(10, 20, 30));
    EXPECT_EQ(fake.counts().lastReadLength, 64u);
}

TEST_F(WinUsbConnectionTest, TheFirstOfTwoInterfacesIsOpenedAndRemovingEitherClosesIt) {
    FakeUsbDevice first;
    FakeUsbDevice second;
    second.path = L"\\\\?\\usb#vid_256c&pid_006d#0002#{62f12d4c-3431-4efd-8dd7-8e9aab18d30c}";
    fake.Plug(first);
    fake.Plug(second);
    WinUsbPort port(fake.api());
    ASSERT_EQ(port.ListDevices().size(), 2u);
    EXPECT_EQ(port.ListDevices()[0].vendorId, TABLET_VENDOR_ID);
    EXPECT_EQ(port.ListDevices()[0].productId, 0x006D);
    EXPECT_EQ(port.FindFirstDevice(), Utf8FromWide(first.path));
    Initialise();
    ASSERT_TRUE(connection->isOpen());
    fake.Unplug(second.path);
    connection->OnDeviceEvent(UsbDeviceEvent::Removed);
    EXPECT_FALSE(connection->isOpen());
}

TEST_F(WinUsbConnectionTest, AShortOrFailedDescriptorIsNotTheTablet) {
    FakeUsbDevice shortRead;
    shortRead.descriptorLength = 9;  // idVendor's first byte only
    FakeUsbDevice failed;
    failed.descriptorFails = true;
    for (const FakeUsbDevice& device : {shortRead, failed}) {
        fake.Plug(device);
        connection =
            std::make_unique<TabletConnection>(window, std::make_unique<WinUsbPort>(fake.api()));
        EXPECT_FALSE(connection->ConnectTablet());
        EXPECT_EQ(connection->lastOpenOutcome(), OpenOutcome::WrongVendor);
        EXPECT_FALSE(connection->isOpen());
        EXPECT_EQ(connection->readersStarted(), 0);
        EXPECT_EQ(fake.counts().filesOpen, 0);
        EXPECT_EQ(fake.counts().usbHandlesOpen, 0);
        connection.reset();
        fake.Unplug();
    }
    EXPECT_TRUE(fake.controlCalls().empty());
    EXPECT_TRUE(window.statusTexts.empty());  // an arrival's failed open leaves the status alone
}

TEST_F(WinUsbConnectionTest, OpenFailuresReleaseWhatTheyTook) {
    struct Case {
        const char* what;
        FakeUsbDevice device;
        OpenOutcome outcome;
    };
    std::vector<Case> cases(5);
    cases[0] = {"held by another program", {}, OpenOutcome::Busy};
    cases[0].device.createFileError = ERROR_ACCESS_DENIED;
    cases[1] = {"WinUsb_Initialize fails", {}, OpenOutcome::Failed};
    cases[1].device.initializeFails = true;
    cases[2] = {"no first pipe", {}, OpenOutcome::NoPipe};
    cases[2].device.queryPipeFails = true;
    cases[3] = {"an OUT pipe first", {}, OpenOutcome::NoPipe};
    cases[3].device.pipeId = 0x01;
    cases[4] = {"not bound to WinUSB", {}, OpenOutcome::NoDevice};
    cases[4].device.winUsbBound = false;
    for (const Case& c : cases) {
        fake.Plug(c.device);
        connection =
            std::make_unique<TabletConnection>(window, std::make_unique<WinUsbPort>(fake.api()));
        EXPECT_FALSE(connection->ConnectTablet()) << c.what;
        EXPECT_EQ(connection->lastOpenOutcome(), c.outcome) << c.what;
        EXPECT_EQ(fake.counts().filesOpen, 0) << c.what;
        EXPECT_EQ(fake.counts().usbHandlesOpen, 0) << c.what;
        connection.reset();
        fake.Unplug();
    }
    fake.FailClassLookup(true);
    fake.Plug();
    connection =
        std::make_unique<TabletConnection>(window, std::make_unique<WinUsbPort>(fake.api()));
    EXPECT_FALSE(connection->ConnectTablet());
    EXPECT_EQ(connection->lastOpenOutcome(), OpenOutcome::NoDevice);
}

TEST_F(WinUsbConnectionTest, ATabletWithoutWinUsbIsSeenByItsHardwareIdOnly) {
    FakeUsbDevice device;
    device.winUsbBound = false;
    fake.Plug(device);
    WinUsbPort port(fake.api());
    EXPECT_TRUE(port.ListDevices().empty());
    EXPECT_FALSE(port.FindFirstDevice());
    const std::vector<std::string> ids = port.VendorHardwareIds();
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(ids[0].rfind("USB\\VID_256C", 0), 0u) << ids[0];
    fake.Unplug();
    EXPECT_TRUE(port.VendorHardwareIds().empty());
}

TEST_F(WinUsbConnectionTest, TeardownWhileAReadIsPendingCancelsItFirst) {
    fake.Plug();
    Initialise();
    ASSERT_TRUE(fake.WaitForPendingRead());
    g_readerRunning = false;
    connection->Shutdown();
    EXPECT_EQ(connection->readersRunning(), 0);
    EXPECT_GE(fake.counts().cancelIo, 1);
    EXPECT_EQ(fake.counts().filesOpen, 0);
}

// The device's own reads, without the connection.
class WinUsbDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake.Plug();
        OpenResult opened = port.Open(*port.FindFirstDevice());
        ASSERT_EQ(opened.status, OpenStatus::Opened);
        device = opened.device;
        UsbPipe pipe;
        ASSERT_TRUE(device->QueryFirstPipe(pipe));
        ASSERT_EQ(pipe.pipeId, 0x81);
        ASSERT_EQ(pipe.pipeType, 3);
    }
    void TearDown() override {
        device->Close();
        device.reset();
        EXPECT_EQ(fake.counts().filesOpen, 0);
        EXPECT_EQ(fake.counts().usbHandlesOpen, 0);
        EXPECT_EQ(fake.counts().callsOnDeadHandles, 0);
        EXPECT_EQ(fake.counts().readsAtOnce, 0);
    }
    // Read on a thread of its own; `returned` is set once Read has returned.
    std::thread ReadOnThread(std::chrono::milliseconds limit) {
        return std::thread([this, limit] {
            result = device->Read(0x81, buffer, limit);
            returned = true;
        });
    }

    FakeWinUsb fake;
    WinUsbPort port{fake.api()};
    std::shared_ptr<UsbDevice> device;
    std::array<std::uint8_t, PEN_REPORT_SIZE> buffer{};
    ReadResult result;
    std::atomic<bool> returned{false};
};

TEST_F(WinUsbDeviceTest, AReadThatTimesOutIsCancelledAndWritesNothing) {
    buffer.fill(0xEE);
    const ReadResult timedOut = device->Read(0x81, buffer, 10ms);
    EXPECT_EQ(timedOut.outcome, ReadOutcome::TimedOut);
    EXPECT_EQ(fake.counts().cancelIo, 1);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, PEN_REPORT_SIZE>{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                                                                 0xEE, 0xEE}));
    // The next read starts after the cancelled one is over, and takes the next report.
    fake.SendReport(Report(5, 6, 7));
    const ReadResult completed = device->Read(0x81, buffer, 20s);
    EXPECT_EQ(completed.outcome, ReadOutcome::Completed);
    EXPECT_EQ(completed.length, PEN_REPORT_SIZE);
    EXPECT_EQ(buffer, Report(5, 6, 7));
}

TEST_F(WinUsbDeviceTest, CancelReadFromAnotherThreadEndsThePendingRead) {
    std::thread reader = ReadOnThread(20s);
    ASSERT_TRUE(fake.WaitForPendingRead());
    device->CancelRead();
    reader.join();
    EXPECT_EQ(result.outcome, ReadOutcome::Cancelled);
}

TEST_F(WinUsbDeviceTest, AReadReturnsOnlyOnceItsCancelledTransferIsOver) {
    fake.HoldCancellations();
    std::thread reader = ReadOnThread(10ms);
    ASSERT_TRUE(fake.WaitForCancelRequest());
    EXPECT_FALSE(returned);  // the transfer may still write into the buffer
    // It completes after all: the bytes are Read's, not written behind its back later.
    fake.ReleaseCancellations(Report(3, 3, 3));
    reader.join();
    EXPECT_EQ(result.outcome, ReadOutcome::Completed);
    EXPECT_EQ(buffer, Report(3, 3, 3));
}

TEST_F(WinUsbDeviceTest, CloseWaitsForThePendingTransferBeforeReleasingTheHandles) {
    fake.HoldCancellations();
    std::thread reader = ReadOnThread(20s);
    ASSERT_TRUE(fake.WaitForPendingRead());
    std::thread closer([this] { device->Close(); });
    ASSERT_TRUE(fake.WaitForCancelRequest());
    EXPECT_EQ(fake.counts().filesOpen, 1);  // the reader's transfer is not over yet
    EXPECT_EQ(fake.counts().usbHandlesOpen, 1);
    fake.ReleaseCancellations();
    reader.join();
    closer.join();
    EXPECT_EQ(result.outcome, ReadOutcome::Cancelled);
    EXPECT_EQ(fake.counts().filesOpen, 0);
    // A closed device starts no read and makes no call on its released handles.
    EXPECT_EQ(device->Read(0x81, buffer, 10ms).outcome, ReadOutcome::NotStarted);
    EXPECT_LT(device->ControlTransfer(MakeDescriptorRequest(1), buffer), 0);
}

TEST_F(WinUsbDeviceTest, AReadTheStackAbortsOnItsOwnIsWaitedOutThenTheReaderReadsOn) {
    g_readerRunning = true;
    test::RecordingSink sink;
    // A turn of an hour: only the fake's ExpireWait ends a wait here.
    std::shared_ptr<ReaderThread> reader = StartReader(device, 0x81, sink, 1h);
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(fake.WaitForPendingRead());
    ASSERT_TRUE(fake.AbortPendingRead());

    // The read's wait ends, and the next wait begins with no read started in between: the
    // reader does not spin on reads that end at once.
    ASSERT_TRUE(fake.WaitForCounts([](const FakeWinUsb::Counts& c) { return c.waits >= 2; }));
    EXPECT_EQ(fake.counts().readsStarted, 1);
    EXPECT_EQ(fake.counts().readsAbortedByStack, 1);

    // Once the turn is over the reader reads again, and a report gets through.
    fake.ExpireWait();
    ASSERT_TRUE(
        fake.WaitForCounts([](const FakeWinUsb::Counts& c) { return c.readsStarted == 2; }));
    fake.SendReport(Report(7, 8, 9));
    ASSERT_TRUE(sink.WaitForReports(1));
    EXPECT_EQ(sink.reports().front(), Report(7, 8, 9));
    EXPECT_FALSE(reader->finished());

    reader->Stop();
    reader->Join();
    EXPECT_TRUE(reader->finished());
}

TEST_F(WinUsbDeviceTest, CloseEndsTheWaitAfterAReadTheStackAborted) {
    std::thread reader = ReadOnThread(1h);
    ASSERT_TRUE(fake.WaitForPendingRead());
    ASSERT_TRUE(fake.AbortPendingRead());
    ASSERT_TRUE(fake.WaitForCounts([](const FakeWinUsb::Counts& c) { return c.waits >= 2; }));
    device->Close();  // would wait for the hour otherwise
    reader.join();
    EXPECT_EQ(result.outcome, ReadOutcome::Cancelled);
    EXPECT_EQ(fake.counts().readsStarted, 1);
}

TEST_F(WinUsbDeviceTest, AReadOnAGoneDeviceFailsAtOnceAndAnOutPipeIsNeverRead) {
    EXPECT_EQ(device->Read(0x01, buffer, 10ms).outcome, ReadOutcome::NotStarted);
    EXPECT_EQ(fake.counts().readsStarted, 0);
    fake.Unplug();
    EXPECT_EQ(device->Read(0x81, buffer, 20s).outcome, ReadOutcome::Failed);
    std::array<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> descriptor{};
    EXPECT_LT(device->GetDeviceDescriptor(descriptor), 0);
}

// The usbvm scenarios (tests/tablet/usbvm/*.scn), which the simulated tablet and the real USB
// stack on Linux run through the diagnostic program, here through the WinUSB port over the
// fake: each plug and unplug is the device change and its notification, each report goes
// through a read. What the diagnostic program prints of the connection (status, extent,
// reports) and its exit status must be as the scenario says.
class ScenarioWindow final : public TabletWindow {
  public:
    void SetStatusText(std::string_view utf8) override {
        lines.push_back("status: " + std::string(utf8));
        if (utf8 == STATUS_CONNECTED) {
            const TabletExtent extent = connection->extent();
            char line[96];
            std::snprintf(line, sizeof line, "extent: %u x %u (maxX %u, maxY %u)", extent.maxX,
                          extent.maxY, extent.maxX, extent.maxY);
            lines.emplace_back(line);
            connected = true;
        }
    }
    int OnTabletReport(const std::uint8_t* report) override {
        const PenReport pen = DecodePenReport(
            std::span<const std::uint8_t, PEN_REPORT_SIZE>(report, PEN_REPORT_SIZE));
        std::string line = "report";
        char part[64];
        for (std::size_t i = 0; i < PEN_REPORT_SIZE; ++i) {
            std::snprintf(part, sizeof part, " %02X", report[i]);
            line += part;
        }
        std::snprintf(part, sizeof part, "  x %u y %u pressure %u%s", pen.x, pen.y, pen.pressure,
                      pen.pressure == 0 ? " (pen up)" : "");
        lines.push_back(line + part);
        ++reports;
        return 1;
    }

    TabletConnection* connection = nullptr;
    std::vector<std::string> lines;
    std::size_t reports = 0;
    bool connected = false;
};

// The diagnostic program's exit status for the outcome of a failed open.
int ExitStatusOf(OpenOutcome outcome) {
    switch (outcome) {
        case OpenOutcome::Opened:
            return 0;
        case OpenOutcome::NoDevice:
            return 2;
        case OpenOutcome::AccessDenied:
            return 3;
        case OpenOutcome::Busy:
            return 4;
        case OpenOutcome::WrongVendor:
        case OpenOutcome::NoPipe:
            return 5;
        case OpenOutcome::Failed:
            break;
    }
    return 1;
}

bool IsConnectionLine(const std::string& line) {
    return line.rfind("status: ", 0) == 0 || line.rfind("extent: ", 0) == 0 ||
           line.rfind("report ", 0) == 0;
}

void RunScenario(const std::string& path) {
    FakeWinUsb fake;
    ScenarioWindow window;
    auto connection =
        std::make_unique<TabletConnection>(window, std::make_unique<WinUsbPort>(fake.api()));
    window.connection = connection.get();
    connection->RegisterTabletNotifications();
    connection->ConnectTablet();  // the diagnostic program shows no status for a failed one

    const test::ScenarioExpectations expectations = test::ReadScenarioExpectations(path);
    FakeUsbDevice next;
    const auto send = [&](const PenReportBytes& report) {
        if (!connection->isOpen()) {
            return;  // taken by no read, as on the USB stacks
        }
        const std::size_t before = window.reports;
        fake.SendReport(report);
        EXPECT_TRUE(PumpUntil([&] { return window.reports > before; })) << "a report was lost";
    };
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        std::string error;
        const std::optional<ScriptCommand> command = ParseScriptLine(line, error);
        ASSERT_TRUE(error.empty()) << line << ": " << error;
        if (!command) {
            continue;
        }
        switch (command->kind) {
            case ScriptCommand::Kind::Plug:
                next.vendorId = command->vendorId;
                fake.Plug(next);
                connection->OnDeviceEvent(UsbDeviceEvent::Arrived);
                break;
            case ScriptCommand::Kind::Unplug:
                fake.Unplug();
                connection->OnDeviceEvent(UsbDeviceEvent::Removed);
                break;
            case ScriptCommand::Kind::Param:
                next.paramReply = command->bytes;
                break;
            case ScriptCommand::Kind::Pipe:
                next.pipeId = command->bytes.at(0);
                break;
            case ScriptCommand::Kind::Report: {
                PenReportBytes report{};
                std::copy_n(command->bytes.begin(), report.size(), report.begin());
                send(report);
                break;
            }
            case ScriptCommand::Kind::Stroke:
                for (const PenReportBytes& report : ExpandStroke(*command)) {
                    send(report);
                }
                break;
            case ScriptCommand::Kind::Sleep:
            case ScriptCommand::Kind::WaitSigning:  // the connection here reads in any mode
                break;                              // the order of the commands is what counts here
        }
    }
    const int exitStatus = window.connected ? 0 : ExitStatusOf(connection->lastOpenOutcome());
    g_readerRunning = false;
    connection->Shutdown();
    g_readerRunning = true;

    EXPECT_EQ(exitStatus, expectations.exitStatus);
    std::string shown;
    for (const std::string& line : window.lines) {
        shown += line + "\n";
    }
    for (const auto& [line, count] : expectations.lines) {
        if (!IsConnectionLine(line)) {
            continue;  // the diagnostic program's own words
        }
        const auto seen = std::count(window.lines.begin(), window.lines.end(), line);
        if (count < 0) {
            EXPECT_GE(seen, 1) << "no line: " << line << "\n" << shown;
        } else {
            EXPECT_EQ(seen, count) << "line: " << line << "\n" << shown;
        }
    }
    EXPECT_EQ(fake.counts().filesOpen, 0);
}

TEST(WinUsbScenarioTest, TheUsbvmScenariosShowTheSameOverWinUsb) {
    const char* source = std::getenv("ONDREL_SOURCE_DIR");
    if (source == nullptr || *source == '\0') {
        GTEST_SKIP() << "ONDREL_SOURCE_DIR does not name the sources";
    }
    const QDir folder(QString::fromLocal8Bit(source) + QStringLiteral("/tests/tablet/usbvm"));
    const QStringList files = folder.entryList({QStringLiteral("*.scn")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << folder.path().toStdString();
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        RunScenario(folder.filePath(name).toStdString());
    }
}

}  // namespace
}  // namespace ondrel
