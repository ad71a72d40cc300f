#include <windows.h>

#include <string>

#include "tests/ui/stored_setting.h"

namespace ondrel::test {

std::optional<QString> ReadStoredSetting(const QString&, const QString& application,
                                         const QString& key) {
    const std::wstring path =
        (QStringLiteral("Software\\Varnock software\\") + application + QStringLiteral("\\SETTING"))
            .toStdWString();
    const std::wstring name = key.toStdWString();
    DWORD type = 0;
    BYTE data[256] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY, &type, data,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type == REG_DWORD) {
        DWORD value = 0;
        memcpy(&value, data, sizeof value);
        return QString::number(static_cast<int>(value));
    }
    if (type == REG_SZ) {
        return QString::fromWCharArray(reinterpret_cast<const wchar_t*>(data));
    }
    return QStringLiteral("(type %1)").arg(type);
}

}  // namespace ondrel::test
