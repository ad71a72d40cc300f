// Creating and replacing the BMP file with POSIX calls: O_EXCL refuses an existing name (and a
// link), and rename() replaces the target atomically, even while a reader has it open.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <span>
#include <system_error>

#include "imaging/bmp_file_steps.h"

namespace ondrel {
namespace {

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

bool WriteNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    // The host reads the files through the folder's group; nobody else may.
    constexpr mode_t kMode = S_IRUSR | S_IWUSR | S_IRGRP;
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kMode);
    if (fd < 0) {
        return false;
    }
    // The umask may have taken bits away (the group's read), never added any.
    bool written = ::fchmod(fd, kMode) == 0;
    written = written && WriteAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    return written && closed;
}

ReplaceOutcome ReplaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return error ? ReplaceOutcome::Failed : ReplaceOutcome::Replaced;  // never held up by a reader
}

}  // namespace ondrel
