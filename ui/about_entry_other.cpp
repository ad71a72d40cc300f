#include <QWidget>

#include "ui/about_entry.h"

namespace ondrel {

// No system menu here: the window's actions are its context menu.
void AddPlatformAboutEntry(QWidget& window, QAction&, const QString&, unsigned,
                           std::function<void(unsigned)>) {
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
}

}  // namespace ondrel
