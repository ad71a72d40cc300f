// Creating and replacing the BMP file with POSIX calls: "x" makes fopen refuse an existing
// name, and rename() replaces the target atomically, even while a reader has it open.

#include <cstdio>
#include <system_error>

#include "imaging/bmp_file_steps.h"

namespace ondrel {

bool WriteNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

ReplaceOutcome ReplaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return error ? ReplaceOutcome::Failed : ReplaceOutcome::Replaced;  // never held up by a reader
}

}  // namespace ondrel
