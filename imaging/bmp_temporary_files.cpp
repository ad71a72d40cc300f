#include "imaging/bmp_temporary_files.h"

#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace ondrel {

std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target) {
    std::random_device entropy;
    // A dot in front keeps it out of the host's way. The name is put together as a path so that
    // any file name survives on every platform.
    std::filesystem::path name(".");
    name += target.filename();
    name += "." + std::to_string(entropy()) + std::to_string(entropy() & 0xFFFF) + ".tmp";
    std::filesystem::path temporary = target;
    temporary.replace_filename(name);
    return temporary;
}

bool IsSignatureTemporaryName(const std::filesystem::path& fileName) {
    const std::string name = fileName.filename().string();
    const std::string_view text(name);
    if (!text.starts_with(".sign") || !text.ends_with(".tmp")) {
        return false;
    }
    const std::size_t bmp = text.find(".bmp.", 5);
    return bmp != std::string_view::npos && bmp + 5 <= text.size() - 4;
}

int RemoveStaleSignatureTemporaries(const std::filesystem::path& folder,
                                    std::filesystem::file_time_type now, std::chrono::seconds age) {
    int removed = 0;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::filesystem::directory_entry& entry = *entries;
        std::error_code ignored;
        if (!IsSignatureTemporaryName(entry.path().filename()) || !entry.is_regular_file(ignored) ||
            entry.is_symlink(ignored)) {
            continue;
        }
        const auto written = entry.last_write_time(ignored);
        if (!ignored && written + age < now && std::filesystem::remove(entry.path(), ignored)) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace ondrel
