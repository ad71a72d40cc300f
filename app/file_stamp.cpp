#include "app/file_stamp.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

namespace ondrel {

std::string GetFileStamp(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &info.st_mtime) != 0) {
        return {};
    }
#else
    if (localtime_r(&info.st_mtime, &local) == nullptr) {
        return {};
    }
#endif
    char stamp[80];  // 19 characters for any real date; room for what the compiler cannot rule out
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return stamp;
}

}  // namespace ondrel
