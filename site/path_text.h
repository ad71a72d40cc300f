#pragma once

// A path as text for the logs. A path is narrow on some platforms and wide on others; printing
// its c_str() would show a pointer where it is wide.

#include <QString>
#include <filesystem>
#include <string>

namespace ondrel {

inline QString NativePathText(const std::string& native) {
    return QString::fromLocal8Bit(native);
}
inline QString NativePathText(const std::wstring& native) {
    return QString::fromStdWString(native);
}
inline QString PathText(const std::filesystem::path& path) {
    return NativePathText(path.native());
}

}  // namespace ondrel
