#include <QFile>
#include <QRegularExpression>

#include "tests/ui/stored_setting.h"

namespace ondrel::test {

std::optional<QString> ReadStoredSetting(const QString& settingsFolder, const QString& application,
                                         const QString& key) {
    QFile file(settingsFolder + QStringLiteral("/Varnock software/") + application +
               QStringLiteral(".conf"));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpression line(
        QStringLiteral("\\[SETTING\\][^\\[]*^") + key + QStringLiteral("=(.*)$"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return match.captured(1).trimmed();
}

}  // namespace ondrel::test
