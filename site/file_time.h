#pragma once

// A file's last-write time in local time, from the platform's own file calls.

#include <ctime>
#include <filesystem>

namespace ondrel {

// False when the file cannot be found.
bool LastWriteLocalTime(const std::filesystem::path& path, std::tm& local);

}  // namespace ondrel
