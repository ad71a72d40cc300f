#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QString>
#include <QWidget>
#include <string>

#include "ui/about_entry.h"

namespace ondrel {
namespace {

// Hands the window's WM_SYSCOMMAND for the entry to the window; lives as long as the window.
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
        if (msg->hwnd != window_ || msg->message != WM_SYSCOMMAND ||
            (static_cast<unsigned>(msg->wParam) & 0xFFF0u) != commandId_) {
            return false;  // everything else gets the default handling
        }
        onSysCommand_(static_cast<unsigned>(msg->wParam));
        *result = 0;
        return true;
    }

  private:
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
