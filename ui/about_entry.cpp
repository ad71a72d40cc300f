#include "ui/about_entry.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace ondrel {

QAction* InstallAboutEntry(QWidget& window, const QString& text, unsigned commandId,
                           std::function<void(unsigned command)> onSysCommand) {
    auto* separator = new QAction(&window);
    separator->setSeparator(true);
    window.addAction(separator);
    auto* about = new QAction(text, &window);
    about->setObjectName(QStringLiteral("IDM_ABOUTBOX"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    about->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(about, &QAction::triggered, &window,
                     [onSysCommand, commandId] { onSysCommand(commandId); });
    window.addAction(about);
    AddPlatformAboutEntry(window, *about, text, commandId, std::move(onSysCommand));
    return about;
}

}  // namespace ondrel
