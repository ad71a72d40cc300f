#pragma once

// The window's About entry, "&About 签字手写板..." after a separator. Where the window has a
// system menu (Windows), the entry is appended there with its command id, and choosing it
// reaches `onSysCommand` as the system menu's command; elsewhere it is the window's context
// menu. F1 opens it everywhere.

#include <functional>

class QAction;
class QString;
class QWidget;

namespace ondrel {

// The F1 action (also the context-menu entry where there is no system menu). `window` must have
// its native window already (QWidget::create()).
QAction* InstallAboutEntry(QWidget& window, const QString& text, unsigned commandId,
                           std::function<void(unsigned command)> onSysCommand);

// What each platform adds beside the F1 action: the system menu entry, or the context menu.
void AddPlatformAboutEntry(QWidget& window, QAction& about, const QString& text, unsigned commandId,
                           std::function<void(unsigned command)> onSysCommand);

}  // namespace ondrel
