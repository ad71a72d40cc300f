#pragma once

// The two file-system steps of writing a BMP file safely, one implementation per platform
// (bmp_file_steps_posix.cpp, bmp_file_steps_win.cpp); the choice of names, the retries and the
// clean-up are the same everywhere and live in bmp_file_writer.cpp, which both writers (the
// whole-file SaveBitmapToFile and the kept-copy PreviewFile) go through.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace ondrel {

// Creates the file, failing if the name is already taken (never reusing a file someone else made
// under it, nor following a link), and writes every byte. On POSIX the file is readable by its
// owner and group only (0640), whatever the umask. False when it could not be created or fully
// written; a file that was created stays for the caller to remove.
bool WriteNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// Whether a bitmap of this size can be written at `depth`: BMP sizes are 32-bit.
bool BmpFileFits(int width, int height, int depth);

struct ReplaceRetry;
// Writes the bytes to a new temporary file beside `path` and renames it over `path`, trying the
// replace again as `retry` says while the target is held open: 1 when `path` now holds the bytes
// whole, 0 when it still holds what it held before (and no temporary file is left).
int ReplaceWithNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                       const ReplaceRetry& retry);

enum class ReplaceOutcome {
    Replaced,
    // Another program has the target or the new file open (the host, a virus scanner, the
    // indexer), so the replace cannot happen now but may in a moment.
    InUse,
    Failed,
};

// Puts `from` in place of `to` in one step, replacing an existing file. When the target could not
// be replaced, `from` is still there.
ReplaceOutcome ReplaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace ondrel
