#pragma once

// Reads one placement value where the platform keeps it, past QSettings: the registry under
// HKEY_CURRENT_USER\Software\Varnock software\<application>\SETTING on Windows, the INI file
// <settings folder>/Varnock software/<application>.conf elsewhere.

#include <QString>
#include <optional>

namespace ondrel::test {

std::optional<QString> ReadStoredSetting(const QString& settingsFolder, const QString& application,
                                         const QString& key);

}  // namespace ondrel::test
