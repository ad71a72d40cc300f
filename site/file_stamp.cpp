#include "site/file_stamp.h"

#include <cstdio>
#include <ctime>

#include "site/file_time.h"

namespace ondrel {

std::string GetFileStamp(const std::filesystem::path& path) {
    std::tm local{};
    if (!LastWriteLocalTime(path, local)) {
        return {};
    }
    char stamp[80];  // 19 characters for any real date; room for what the compiler cannot rule out
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return stamp;
}

}  // namespace ondrel
