// The window's device notifications: the records Windows delivers with WM_DEVICECHANGE read into
// typed events, and on a real native window, WM_DEVICECHANGE sent to the window with a real
// DEV_BROADCAST_DEVICEINTERFACE_W or DEV_BROADCAST_HANDLE record reaching the connection, which
// opens and closes the tablet over the fake WinUSB.

// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "tablet/reader_flag.h"
#include "tablet/tablet_connection.h"
#include "tablet/usb/winusb_port_win.h"
#include "tests/tablet/fake_winusb_api.h"
#include "tests/tablet/tablet_test_support.h"
#include "ui/device_change_win.h"
#include "ui/window_device_notifications.h"

namespace ondrel {
namespace {

using test::FakeTabletWindow;
using test::FakeUsbDevice;
using test::FakeWinUsb;
using test::PumpUntil;
using test::Report;

// A device-interface record as Windows delivers it: the fixed part, then the device's name.
struct InterfaceRecord {
    DEV_BROADCAST_DEVICEINTERFACE_W header;
    wchar_t rest[128];
};

InterfaceRecord MakeRecord(const GUID& interfaceClass, const std::wstring& name) {
    InterfaceRecord record;
    std::memset(&record, 0, sizeof record);
    record.header.dbcc_size = static_cast<DWORD>(
        offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (name.size() + 1) * sizeof(wchar_t));
    record.header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record.header.dbcc_classguid = interfaceClass;
    std::memcpy(record.header.dbcc_name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    return record;
}

// A device-handle record as Windows delivers it about a handle the window registered for.
DEV_BROADCAST_HANDLE MakeHandleRecord(std::uintptr_t handle) {
    DEV_BROADCAST_HANDLE record;
    std::memset(&record, 0, sizeof record);
    record.dbch_size = sizeof record;
    record.dbch_devicetype = DBT_DEVTYP_HANDLE;
    record.dbch_handle = reinterpret_cast<HANDLE>(handle);
    record.dbch_nameoffset = -1;
    return record;
}

std::span<const std::uint8_t> BytesOf(const void* record, std::size_t size) {
    return {static_cast<const std::uint8_t*>(record), size};
}

// Each typed event the window's notifications gave, in order.
class RecordingEventSink final : public DeviceEventSink {
  public:
    struct HandleChange {
        std::uintptr_t handle;
        DeviceHandleEvent event;
        bool operator==(const HandleChange&) const = default;
    };
    using Event = std::variant<UsbDeviceEvent, HandleChange>;

    void OnDeviceEvent(UsbDeviceEvent event) override { events.emplace_back(event); }
    void OnDeviceHandleEvent(std::uintptr_t handle, DeviceHandleEvent event) override {
        events.emplace_back(HandleChange{handle, event});
    }
    std::vector<Event> events;
};

TEST(DeviceChangeRecord, TheTabletsInterfaceRecordIsReadByItsClass) {
    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    EXPECT_TRUE(IsTabletInterface(BytesOf(&tablet, tablet.header.dbcc_size)));

    GUID otherClass = TabletInterfaceClass();
    otherClass.Data4[7] ^= 1;
    const InterfaceRecord other = MakeRecord(otherClass, L"\\\\?\\hid#other");
    EXPECT_FALSE(IsTabletInterface(BytesOf(&other, other.header.dbcc_size)));

    // The class's bytes in a record of another device type are not the tablet's.
    InterfaceRecord port = tablet;
    port.header.dbcc_devicetype = DBT_DEVTYP_PORT;
    EXPECT_FALSE(IsTabletInterface(BytesOf(&port, port.header.dbcc_size)));
}

TEST(DeviceChangeRecord, NeverReadsPastAShortRecord) {
    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&tablet);
    const std::size_t classEnd = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    // Heap copies of exactly their size: AddressSanitizer would catch a read past them.
    const std::vector<std::uint8_t> cut(bytes, bytes + classEnd - 1);
    EXPECT_FALSE(IsTabletInterface(cut));
    EXPECT_FALSE(IsTabletInterface({}));
    EXPECT_EQ(HandleInRecord(cut), std::nullopt);
    const std::vector<std::uint8_t> exact(bytes, bytes + classEnd);
    EXPECT_TRUE(IsTabletInterface(exact));

    const DEV_BROADCAST_HANDLE handle = MakeHandleRecord(0x4008);
    const auto* handleBytes = reinterpret_cast<const std::uint8_t*>(&handle);
    const std::size_t handleEnd = offsetof(DEV_BROADCAST_HANDLE, dbch_handle) + sizeof(HANDLE);
    EXPECT_EQ(HandleInRecord(std::vector<std::uint8_t>(handleBytes, handleBytes + handleEnd)),
              0x4008u);
    EXPECT_EQ(HandleInRecord(std::vector<std::uint8_t>(handleBytes, handleBytes + handleEnd - 1)),
              std::nullopt);
    EXPECT_EQ(HandleInRecord({}), std::nullopt);
}

TEST(DeviceChangeRecord, AHandleRecordNamesItsHandleAndNoOtherRecordDoes) {
    const DEV_BROADCAST_HANDLE handle = MakeHandleRecord(0x4008);
    EXPECT_EQ(HandleInRecord(BytesOf(&handle, sizeof handle)), 0x4008u);
    EXPECT_FALSE(IsTabletInterface(BytesOf(&handle, sizeof handle)));
    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    EXPECT_EQ(HandleInRecord(BytesOf(&tablet, tablet.header.dbcc_size)), std::nullopt);
}

TEST(DeviceChangeRecord, OnlyArrivalAndRemovalOfTheTabletsClassAndAHandlesRemovalAct) {
    RecordingEventSink sink;
    const auto send = [&](std::uint32_t eventType, const void* record, std::size_t size) {
        return OnDeviceChange(eventType, static_cast<const std::uint8_t*>(record), size, sink);
    };
    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    GUID otherClass = TabletInterfaceClass();
    otherClass.Data1 ^= 1;
    const InterfaceRecord other = MakeRecord(otherClass, L"\\\\?\\hid#other");
    const DEV_BROADCAST_HANDLE handle = MakeHandleRecord(0x4008);
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;

    EXPECT_EQ(send(DBT_DEVICEREMOVECOMPLETE, nullptr, 0), -1);  // no record: nothing
    EXPECT_EQ(send(DBT_DEVICEARRIVAL, &other, other.header.dbcc_size), 0);
    EXPECT_EQ(send(DBT_DEVICEARRIVAL, &volume, sizeof volume), 0);
    for (const std::uint32_t eventType :
         std::initializer_list<std::uint32_t>{DBT_DEVICEQUERYREMOVE, DBT_DEVICEREMOVEPENDING,
                                              DBT_DEVICEQUERYREMOVEFAILED, DBT_DEVNODES_CHANGED}) {
        EXPECT_EQ(send(eventType, &tablet, tablet.header.dbcc_size), 0) << eventType;
    }
    EXPECT_EQ(send(DBT_DEVICEARRIVAL, &handle, sizeof handle), 0);
    EXPECT_TRUE(sink.events.empty());

    EXPECT_EQ(send(DBT_DEVICEARRIVAL, &tablet, tablet.header.dbcc_size), 0);
    EXPECT_EQ(send(DBT_DEVICEREMOVECOMPLETE, &tablet, tablet.header.dbcc_size), 0);
    EXPECT_EQ(send(DBT_DEVICEQUERYREMOVE, &handle, sizeof handle), 0);
    EXPECT_EQ(send(DBT_DEVICEQUERYREMOVEFAILED, &handle, sizeof handle), 0);
    EXPECT_EQ(send(DBT_DEVICEREMOVEPENDING, &handle, sizeof handle), 0);
    EXPECT_EQ(send(DBT_DEVICEREMOVECOMPLETE, &handle, sizeof handle), 0);
    using HandleChange = RecordingEventSink::HandleChange;
    const std::vector<RecordingEventSink::Event> expected = {
        UsbDeviceEvent::Arrived,
        UsbDeviceEvent::Removed,
        HandleChange{0x4008, DeviceHandleEvent::RemovalRequested},
        HandleChange{0x4008, DeviceHandleEvent::RemovalFailed},
        HandleChange{0x4008, DeviceHandleEvent::RemovalPending},
        HandleChange{0x4008, DeviceHandleEvent::Removed},
    };
    EXPECT_TRUE(sink.events == expected);
}

// The window's watch of one handle, counted while it lives.
class CountedWatch final : public DeviceHandleWatch {
  public:
    CountedWatch(std::unique_ptr<DeviceHandleWatch> watch, int& alive)
        : watch_(std::move(watch)), alive_(alive) {
        ++alive_;
    }
    ~CountedWatch() override { --alive_; }

  private:
    std::unique_ptr<DeviceHandleWatch> watch_;
    int& alive_;
};

class WindowNotificationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_readerRunning = true;
        hwnd = reinterpret_cast<HWND>(widget.winId());  // makes the native window
        if (!IsWindow(hwnd)) {
            GTEST_SKIP() << "no native window here (Qt's platform: "
                         << QGuiApplication::platformName().toStdString() << ")";
        }
    }
    void TearDown() override {
        notifications.reset();
        if (connection) {
            g_readerRunning = false;
            connection->Shutdown();
            connection.reset();
        }
        g_readerRunning = true;
    }
    void Send(WPARAM eventType, const void* record) {
        SendMessageW(hwnd, WM_DEVICECHANGE, eventType, reinterpret_cast<LPARAM>(record));
    }

    // What the signing window does: the tablet opened, the window's notifications registered
    // and the open tablet's handle watched through them; `watched` lists each handle watched.
    void OpenTheTabletAndWatchItsHandle() {
        fake.Plug();
        connection =
            std::make_unique<TabletConnection>(window, std::make_unique<WinUsbPort>(fake.api()));
        ASSERT_TRUE(connection->ConnectTablet());
        notifications = RegisterWindowDeviceNotifications(widget, *connection);
        connection->WatchDeviceHandles([&](std::uintptr_t handle) {
            watched.push_back(handle);
            return std::make_unique<CountedWatch>(notifications->WatchHandle(handle), watches);
        });
    }

    FakeWinUsb fake;
    FakeTabletWindow window;
    QWidget widget;
    HWND hwnd = nullptr;
    std::unique_ptr<TabletConnection> connection;
    std::unique_ptr<WindowDeviceNotifications> notifications;
    std::vector<std::uintptr_t> watched;
    int watches = 0;  // handle watches alive
};

TEST_F(WindowNotificationsTest, TheWindowHandsEachNotificationOnAsATypedEvent) {
    RecordingEventSink sink;
    notifications = RegisterWindowDeviceNotifications(widget, sink);
    ASSERT_NE(notifications, nullptr);

    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    Send(DBT_DEVICEARRIVAL, &tablet);
    GUID otherClass = TabletInterfaceClass();
    otherClass.Data1 ^= 1;
    const InterfaceRecord other = MakeRecord(otherClass, L"\\\\?\\hid#other");
    Send(DBT_DEVICEREMOVECOMPLETE, &other);
    // A volume's record is shorter than an interface's: only its own bytes are read.
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    Send(DBT_DEVICEARRIVAL, &volume);
    Send(DBT_DEVNODES_CHANGED, nullptr);  // carries no record
    const DEV_BROADCAST_HANDLE handle = MakeHandleRecord(0x4008);
    Send(DBT_DEVICEQUERYREMOVE, &handle);
    Send(DBT_DEVICEREMOVECOMPLETE, &tablet);
    const std::vector<RecordingEventSink::Event> expected = {
        UsbDeviceEvent::Arrived,
        RecordingEventSink::HandleChange{0x4008, DeviceHandleEvent::RemovalRequested},
        UsbDeviceEvent::Removed,
    };
    EXPECT_TRUE(sink.events == expected);

    notifications.reset();  // withdrawn: nothing reaches the sink any more
    Send(DBT_DEVICEARRIVAL, &tablet);
    EXPECT_EQ(sink.events.size(), expected.size());
}

TEST_F(WindowNotificationsTest, ArrivalAndRemovalOnTheWindowOpenAndCloseTheTablet) {
    connection =
        std::make_unique<TabletConnection>(window, std::make_unique<WinUsbPort>(fake.api()));
    EXPECT_FALSE(connection->ConnectTablet());
    connection->RegisterTabletNotifications();
    notifications = RegisterWindowDeviceNotifications(widget, *connection);

    fake.Plug();
    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    Send(DBT_DEVICEARRIVAL, &tablet);
    ASSERT_TRUE(connection->isOpen());
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
    fake.SendReport(Report(1, 2, 3));
    ASSERT_TRUE(PumpUntil([&] { return window.reports.size() == 1; }));

    Send(DBT_DEVNODES_CHANGED, nullptr);
    EXPECT_TRUE(connection->isOpen());

    fake.Unplug();
    Send(DBT_DEVICEREMOVECOMPLETE, &tablet);
    EXPECT_FALSE(connection->isOpen());
    EXPECT_EQ(window.status(), STATUS_DISCONNECTED);
    EXPECT_EQ(fake.counts().filesOpen, 0);
    EXPECT_TRUE(PumpUntil([&] { return connection->readersRunning() == 0; }));
}

TEST_F(WindowNotificationsTest, ARemovalRequestClosesTheTabletAndAFailedRemovalOpensItAgain) {
    ASSERT_NO_FATAL_FAILURE(OpenTheTabletAndWatchItsHandle());
    // The tablet open already is watched at once, by its device handle.
    ASSERT_EQ(watched.size(), 1u);
    EXPECT_NE(watched[0], 0u);
    EXPECT_EQ(watches, 1);

    // A request about another handle is not about the tablet.
    const DEV_BROADCAST_HANDLE other = MakeHandleRecord(watched[0] + 4);
    Send(DBT_DEVICEQUERYREMOVE, &other);
    EXPECT_TRUE(connection->isOpen());

    // The removal request: the handle goes at once, so that the removal can go ahead.
    const DEV_BROADCAST_HANDLE first = MakeHandleRecord(watched[0]);
    Send(DBT_DEVICEQUERYREMOVE, &first);
    EXPECT_FALSE(connection->isOpen());
    EXPECT_EQ(window.status(), STATUS_DISCONNECTED);
    EXPECT_EQ(fake.counts().filesOpen, 0);
    EXPECT_EQ(fake.counts().usbHandlesOpen, 0);
    EXPECT_EQ(watches, 1);  // kept, to learn whether the removal happens
    EXPECT_TRUE(PumpUntil([&] { return connection->readersRunning() == 0; }));

    // It failed (the driver update was cancelled, say): the tablet is opened and read again.
    Send(DBT_DEVICEQUERYREMOVEFAILED, &first);
    ASSERT_TRUE(connection->isOpen());
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
    ASSERT_EQ(watched.size(), 2u);  // the new handle
    EXPECT_EQ(watches, 1);
    fake.SendReport(Report(4, 5, 6));
    ASSERT_TRUE(PumpUntil([&] { return window.reports.size() == 1; }));
    EXPECT_EQ(window.reports.back(), Report(4, 5, 6));

    // This time the device goes: request, then removal complete about the new handle.
    const DEV_BROADCAST_HANDLE second = MakeHandleRecord(watched[1]);
    Send(DBT_DEVICEQUERYREMOVE, &second);
    EXPECT_FALSE(connection->isOpen());
    fake.Unplug();
    Send(DBT_DEVICEREMOVECOMPLETE, &second);
    EXPECT_EQ(watches, 0);                       // nothing left to watch
    Send(DBT_DEVICEQUERYREMOVEFAILED, &second);  // a stale record opens nothing
    EXPECT_FALSE(connection->isOpen());

    // The next arrival opens it again, and watches its handle.
    fake.Plug();
    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    Send(DBT_DEVICEARRIVAL, &tablet);
    ASSERT_TRUE(connection->isOpen());
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
    EXPECT_EQ(watched.size(), 3u);
    EXPECT_EQ(watches, 1);

    g_readerRunning = false;
    connection->Shutdown();
    EXPECT_EQ(watches, 0);  // closing for good ends the watch
}

TEST_F(WindowNotificationsTest, AFailedRemovalOfTheOpenTabletLeavesItAndItsWatchAlone) {
    // A removal that another program vetoed before this one was asked: the tablet is still
    // open, and stays so with its watch.
    ASSERT_NO_FATAL_FAILURE(OpenTheTabletAndWatchItsHandle());
    ASSERT_EQ(watched.size(), 1u);
    const DEV_BROADCAST_HANDLE record = MakeHandleRecord(watched[0]);
    Send(DBT_DEVICEQUERYREMOVEFAILED, &record);
    EXPECT_TRUE(connection->isOpen());
    EXPECT_EQ(watched.size(), 1u);
    EXPECT_EQ(watches, 1);
    EXPECT_EQ(fake.counts().creates, 1);  // not opened a second time
}

}  // namespace
}  // namespace ondrel
