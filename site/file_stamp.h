#pragma once

#include <filesystem>
#include <string>

namespace ondrel {

// The file's last-write time in local time as "YYYY-MM-DD HH:MM:SS": fixed width, so comparing
// two stamps as text orders them by time. A file that cannot be found has the empty stamp, which
// sorts before every real one.
std::string GetFileStamp(const std::filesystem::path& path);

}  // namespace ondrel
