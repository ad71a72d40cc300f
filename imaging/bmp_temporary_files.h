#pragma once

// The temporary files the BMP writer puts beside a target before renaming them over it:
// ".sign.bmp.NNNN.tmp" beside "sign.bmp". One is left behind only when the program is killed
// mid-write or its removal fails; such leftovers are cleared away at the next start.

#include <chrono>
#include <filesystem>

namespace ondrel {

// A fresh temporary name beside `target`; the random part keeps writers apart.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target);

// Whether a file name is one of the writer's temporary names for a signature file
// (".sign*.bmp.*.tmp").
bool IsSignatureTemporaryName(const std::filesystem::path& fileName);

// Removes the regular files in `folder` whose names are the writer's temporary names and that
// were last written more than `age` before `now`; a younger one may be another writer's at work.
// Returns how many were removed.
int RemoveStaleSignatureTemporaries(const std::filesystem::path& folder,
                                    std::filesystem::file_time_type now,
                                    std::chrono::seconds age = std::chrono::minutes(1));

}  // namespace ondrel
