#include <sys/stat.h>

#include "site/file_time.h"

namespace ondrel {

bool LastWriteLocalTime(const std::filesystem::path& path, std::tm& local) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    return localtime_r(&info.st_mtime, &local) != nullptr;
}

}  // namespace ondrel
