#include "ui/app_icon.h"

// The resource file lives in a static library, so its initialiser is pulled in by name.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace ondrel {

QIcon AppIcon() {
    InitIconResources();
    QIcon icon;
    for (const int size : {16, 32, 48, 256}) {
        icon.addFile(QStringLiteral(":/icons/ondrel-sign-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace ondrel
