#include "ui/placement_store.h"

#include <QCoreApplication>
#include <QSettings>

namespace ondrel {
namespace {

constexpr auto kOrganisation = "Varnock software";
constexpr auto kSection = "SETTING";

int ReadValue(const QSettings& settings, const char* key) {
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toInt(&ok);
    return ok ? value : PLACEMENT_UNSET;
}

}  // namespace

WindowPlacement ReadPlacement() {
    QSettings settings(QLatin1String(kOrganisation), QCoreApplication::applicationName());
    settings.beginGroup(QLatin1String(kSection));
    WindowPlacement placement;
    placement.left = ReadValue(settings, "left");
    placement.right = ReadValue(settings, "right");
    placement.top = ReadValue(settings, "top");
    placement.bottom = ReadValue(settings, "bottom");
    return placement;
}

void WritePlacement(const WindowPlacement& placement) {
    QSettings settings(QLatin1String(kOrganisation), QCoreApplication::applicationName());
    settings.beginGroup(QLatin1String(kSection));
    settings.setValue(QStringLiteral("left"), placement.left);
    settings.setValue(QStringLiteral("right"), placement.right);
    settings.setValue(QStringLiteral("top"), placement.top);
    settings.setValue(QStringLiteral("bottom"), placement.bottom);
    settings.endGroup();
    settings.sync();
}

}  // namespace ondrel
