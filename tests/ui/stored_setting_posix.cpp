#include <QRegularExpression>
#include <filesystem>

#include "tests/support/whole_file.h"
#include "tests/ui/stored_setting.h"

namespace ondrel::test {

std::optional<QString> ReadStoredSetting(const QString& settingsFolder, const QString& application,
                                         const QString& key) {
    const QString file = settingsFolder + QStringLiteral("/Varnock software/") + application +
                         QStringLiteral(".conf");
    const QString text = QString::fromStdString(
        ReadWholeFile(std::filesystem::path(file.toStdU16String())));  // empty when missing
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
