// The window's device notifications on a real native window: WM_DEVICECHANGE sent to the
// window, with a real DEV_BROADCAST_DEVICEINTERFACE_W or DEV_BROADCAST_HANDLE record, reaches the
// connection's OnDeviceChange, which opens and closes the tablet over the fake WinUSB.

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
#include <vector>

#include "tablet/reader_flag.h"
#include "tablet/tablet_connection.h"
#include "tablet/usb/winusb_port_win.h"
#include "tests/tablet/fake_winusb_api.h"
#include "tests/tablet/tablet_test_support.h"
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
        notifications = RegisterWindowDeviceNotifications(
            widget, [&](std::uint32_t eventType, std::span<const std::uint8_t> record) {
                connection->OnDeviceChange(eventType, record.empty() ? nullptr : record.data(),
                                           record.size());
            });
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

TEST_F(WindowNotificationsTest, TheWindowHandsEachNotificationOnWithItsRealRecord) {
    struct Seen {
        std::uint32_t eventType;
        std::vector<std::uint8_t> record;
    };
    std::vector<Seen> seen;
    notifications = RegisterWindowDeviceNotifications(
        widget, [&](std::uint32_t eventType, std::span<const std::uint8_t> record) {
            seen.push_back({eventType, {record.begin(), record.end()}});
        });
    ASSERT_NE(notifications, nullptr);

    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    Send(DBT_DEVICEARRIVAL, &tablet);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].eventType, 0x8000u);
    EXPECT_EQ(seen[0].record.size(), tablet.header.dbcc_size);  // the record as delivered
    EXPECT_TRUE(IsTabletInterface(seen[0].record));

    GUID otherClass = TabletInterfaceClass();
    otherClass.Data1 ^= 1;
    const InterfaceRecord other = MakeRecord(otherClass, L"\\\\?\\hid#other");
    Send(DBT_DEVICEREMOVECOMPLETE, &other);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].eventType, 0x8004u);
    EXPECT_FALSE(IsTabletInterface(seen[1].record));

    // A volume's record is shorter than an interface's: only its own bytes are handed on.
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    Send(DBT_DEVICEARRIVAL, &volume);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].record.size(), sizeof volume);
    EXPECT_FALSE(IsTabletInterface(seen[2].record));

    Send(DBT_DEVNODES_CHANGED, nullptr);  // carries no record
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[3].record.empty());

    notifications.reset();  // withdrawn: nothing reaches the handler any more
    Send(DBT_DEVICEARRIVAL, &tablet);
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(WindowNotificationsTest, ArrivalAndRemovalOnTheWindowOpenAndCloseTheTablet) {
    connection =
        std::make_unique<TabletConnection>(window, std::make_unique<WinUsbPort>(fake.api()));
    EXPECT_FALSE(connection->ConnectTablet());
    connection->RegisterTabletNotifications();
    int lastResult = 1;
    notifications = RegisterWindowDeviceNotifications(
        widget, [&](std::uint32_t eventType, std::span<const std::uint8_t> record) {
            lastResult = connection->OnDeviceChange(
                eventType, record.empty() ? nullptr : record.data(), record.size());
        });

    fake.Plug();
    const InterfaceRecord tablet = MakeRecord(TabletInterfaceClass(), FakeUsbDevice{}.path);
    Send(DBT_DEVICEARRIVAL, &tablet);
    EXPECT_EQ(lastResult, 0);
    ASSERT_TRUE(connection->isOpen());
    EXPECT_EQ(window.status(), STATUS_CONNECTED);
    fake.SendReport(Report(1, 2, 3));
    ASSERT_TRUE(PumpUntil([&] { return window.reports.size() == 1; }));

    Send(DBT_DEVNODES_CHANGED, nullptr);
    EXPECT_EQ(lastResult, -1);
    EXPECT_TRUE(connection->isOpen());

    fake.Unplug();
    Send(DBT_DEVICEREMOVECOMPLETE, &tablet);
    EXPECT_EQ(lastResult, 0);
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
