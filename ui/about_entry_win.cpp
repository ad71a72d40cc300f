#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QString>
#include <QWidget>
#include <string>

#include "ui/about_entry.h"

namespace ondrel {
namespace {

// Enables the system menu's standard entries as the window's state allows.
void UpdateSystemMenu(HWND window, HMENU menu) {
    const bool zoomed = IsZoomed(window) != FALSE;
    const bool iconic = IsIconic(window) != FALSE;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const auto enable = [menu](UINT command, bool enabled) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    };
    enable(SC_RESTORE, zoomed || iconic);
    enable(SC_MOVE, !zoomed && !iconic);
    enable(SC_SIZE, !zoomed && !iconic && (style & WS_THICKFRAME) != 0);
    enable(SC_MINIMIZE, !iconic && (style & WS_MINIMIZEBOX) != 0);
    enable(SC_MAXIMIZE, !zoomed && (style & WS_MAXIMIZEBOX) != 0);
}

// Hands the window's WM_SYSCOMMAND for the entry to the window; lives as long as the window.
//
// Qt opens the system menu for Alt+Space itself and hands the chosen command straight to its
// window procedure, past every native event filter, so the entry would do nothing from the
// keyboard. The filter therefore opens that menu itself and posts the command, as the menu of
// the title bar does: the entry reaches the filter, the standard commands the default handling.
class SysCommandFilter final : public QObject, public QAbstractNativeEventFilter {
  public:
    SysCommandFilter(QWidget& window, unsigned commandId,
                     std::function<void(unsigned)> onSysCommand)
        : QObject(&window),
          window_(reinterpret_cast<HWND>(window.winId())),
          commandId_(commandId),
          onSysCommand_(std::move(onSysCommand)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~SysCommandFilter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray&, void* message, qintptr* result) override {
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->hwnd == window_ && msg->message == WM_SYSKEYDOWN && msg->wParam == VK_SPACE) {
            ShowSystemMenu();
            SetResult(result);
            return true;
        }
        if (msg->hwnd != window_ || msg->message != WM_SYSCOMMAND ||
            (static_cast<unsigned>(msg->wParam) & 0xFFF0u) != commandId_) {
            return false;  // everything else gets the default handling
        }
        onSysCommand_(static_cast<unsigned>(msg->wParam));
        SetResult(result);
        return true;
    }

  private:
    // Messages the event loop takes from the queue come without a result to set.
    static void SetResult(qintptr* result) {
        if (result != nullptr) {
            *result = 0;
        }
    }

    void ShowSystemMenu() {
        HMENU menu = GetSystemMenu(window_, FALSE);
        if (menu == nullptr) {
            return;
        }
        UpdateSystemMenu(window_, menu);
        POINT corner{0, 0};  // under the title bar, where Windows puts it for Alt+Space
        ClientToScreen(window_, &corner);
        const UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY | TPM_RETURNCMD;
        const BOOL command = TrackPopupMenuEx(menu, flags, corner.x, corner.y, window_, nullptr);
        if (command != 0) {
            PostMessageW(window_, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
        }
    }

    HWND window_;
    unsigned commandId_;
    std::function<void(unsigned)> onSysCommand_;
};

}  // namespace

void AddPlatformAboutEntry(QWidget& window, QAction&, const QString& text, unsigned commandId,
                           std::function<void(unsigned)> onSysCommand) {
    HMENU systemMenu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    if (systemMenu == nullptr) {
        return;
    }
    const std::wstring caption = text.toStdWString();
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, commandId, caption.c_str());
    new SysCommandFilter(window, commandId, std::move(onSysCommand));
}

}  // namespace ondrel
