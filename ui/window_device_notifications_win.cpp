// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>
#include <cstddef>
#include <cstring>

#include "tablet/protocol/tablet_protocol.h"
#include "ui/device_change_win.h"
#include "ui/window_device_notifications.h"

namespace ondrel {
namespace {

// The window's registration for one device handle.
class HandleRegistration final : public DeviceHandleWatch {
  public:
    explicit HandleRegistration(HDEVNOTIFY registration) : registration_(registration) {}
    ~HandleRegistration() override {
        if (registration_ != nullptr) {
            UnregisterDeviceNotification(registration_);
        }
    }
    HandleRegistration(const HandleRegistration&) = delete;
    HandleRegistration& operator=(const HandleRegistration&) = delete;

  private:
    HDEVNOTIFY registration_;
};

// Registered on the window for the tablet's interface class; hands each WM_DEVICECHANGE of the
// window to OnDeviceChange, record and all, and leaves the message to its default handling.
class DeviceChangeFilter final : public WindowDeviceNotifications,
                                 public QAbstractNativeEventFilter {
  public:
    DeviceChangeFilter(HWND window, DeviceEventSink& sink) : window_(window), sink_(sink) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter;
        std::memset(&filter, 0, sizeof filter);
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        static_assert(sizeof filter.dbcc_classguid == GUID_DEVINTERFACE_SIGNPAD.size());
        std::memcpy(&filter.dbcc_classguid, GUID_DEVINTERFACE_SIGNPAD.data(),
                    sizeof filter.dbcc_classguid);
        // A failed registration goes unnoticed: the window then learns of no plugging.
        registration_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~DeviceChangeFilter() override {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        if (registration_ != nullptr) {
            UnregisterDeviceNotification(registration_);
        }
    }

    std::unique_ptr<DeviceHandleWatch> WatchHandle(std::uintptr_t handle) override {
        DEV_BROADCAST_HANDLE filter;
        std::memset(&filter, 0, sizeof filter);
        filter.dbch_size = sizeof filter;
        filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
        filter.dbch_handle = reinterpret_cast<HANDLE>(handle);
        // A failed registration goes unnoticed: removing the tablet then waits for the program.
        return std::make_unique<HandleRegistration>(
            RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    }

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->hwnd != window_ || msg->message != WM_DEVICECHANGE) {
            return false;
        }
        const auto eventType = static_cast<std::uint32_t>(msg->wParam);
        const std::uint8_t* record = nullptr;
        std::size_t recordSize = 0;
        if (msg->lParam != 0) {
            // Every record starts with its size; the handler reads no further than that.
            const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(msg->lParam);
            record = reinterpret_cast<const std::uint8_t*>(header);
            recordSize = static_cast<std::size_t>(header->dbch_size);
        }
        OnDeviceChange(eventType, record, recordSize, sink_);
        return false;
    }

  private:
    HWND window_;
    DeviceEventSink& sink_;
    HDEVNOTIFY registration_ = nullptr;
};

}  // namespace

std::unique_ptr<WindowDeviceNotifications> RegisterWindowDeviceNotifications(
    QWidget& window, DeviceEventSink& sink) {
    return std::make_unique<DeviceChangeFilter>(reinterpret_cast<HWND>(window.winId()), sink);
}

}  // namespace ondrel
