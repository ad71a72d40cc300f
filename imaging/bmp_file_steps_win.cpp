// Creating and replacing the BMP file with Windows calls, on wide paths. mingw's C runtime
// ignores fopen's "x", so the exclusive create is _wopen with _O_EXCL. MoveFileExW replaces the
// target in one step; it fails while another program holds the target or the new file open
// without delete sharing (the host, a virus scanner or the indexer looking at the file just
// closed), which is told apart from a target that can never be replaced, so that the caller can
// wait for the holder or keep the earlier file.

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <span>

#include "imaging/bmp_file_steps.h"

namespace ondrel {
namespace {

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        // _write takes at most an unsigned int at a time.
        const unsigned int chunk =
            static_cast<unsigned int>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        const int count = _write(fd, bytes.data() + done, chunk);
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

bool WriteNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    const int fd =
        _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, bytes);
    const bool closed = _close(fd) == 0;
    return written && closed;
}

ReplaceOutcome ReplaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return ReplaceOutcome::Replaced;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&
        error != ERROR_ACCESS_DENIED) {
        return ReplaceOutcome::Failed;
    }
    // Access is denied for a held file, but also for a folder or a read-only file in the way,
    // which no waiting changes; and with the new file gone there is nothing left to put in place.
    const DWORD target = GetFileAttributesW(to.c_str());
    if (target != INVALID_FILE_ATTRIBUTES &&
        (target & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return ReplaceOutcome::Failed;
    }
    const DWORD source = GetFileAttributesW(from.c_str());
    if (source == INVALID_FILE_ATTRIBUTES || (source & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ReplaceOutcome::Failed;
    }
    return ReplaceOutcome::InUse;
}

}  // namespace ondrel
