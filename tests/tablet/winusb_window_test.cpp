// The window's device notifications on a real native window: WM_DEVICECHANGE sent to the
// window, with a real DEV_BROADCAST_DEVICEINTERFACE_W record, reaches the connection's
// OnDeviceChange, which opens and closes the tablet over the fake WinUSB.

// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstddef>
#include <cstring>
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

    FakeWinUsb fake;
    FakeTabletWindow window;
    QWidget widget;
    HWND hwnd = nullptr;
    std::unique_ptr<TabletConnection> connection;
    std::unique_ptr<WindowDeviceNotifications> notifications;
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

}  // namespace
}  // namespace ondrel
