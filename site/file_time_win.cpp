#include <sys/stat.h>

#include "site/file_time.h"

namespace ondrel {

bool LastWriteLocalTime(const std::filesystem::path& path, std::tm& local) {
    struct _stat64 info {};
    if (::_wstat64(path.c_str(), &info) != 0) {
        return false;
    }
    return localtime_s(&local, &info.st_mtime) == 0;
}

}  // namespace ondrel
