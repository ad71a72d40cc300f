// Writing a BMP file so that the host never reads a torn one: the bytes go to a temporary file
// beside the target, which is then renamed over it in one step. A target held open by another
// program (on Windows) can be waited for, as the caller says.

#include <system_error>
#include <thread>

#include "imaging/area_capture.h"
#include "imaging/bmp_file_steps.h"
#include "imaging/bmp_layout.h"
#include "imaging/bmp_temporary_files.h"

namespace ondrel {
namespace {

// Largest file written: BMP sizes are 32-bit, and a signature area never comes near this.
constexpr std::uint64_t kMaxFileSize = 0x7FFFFFFF;

}  // namespace

int SaveBitmapToFile(const Bitmap* bitmap, const std::filesystem::path& path, int displayDepth) {
    return SaveBitmapToFile(bitmap, path, displayDepth, ReplaceRetry{});
}

int SaveBitmapToFile(const Bitmap* bitmap, const std::filesystem::path& path, int displayDepth,
                     const ReplaceRetry& retry) {
    const int depth = ChooseBmpDepth(displayDepth);
    if (bitmap == nullptr || !BmpFileFits(bitmap->width, bitmap->height, depth)) {
        return 0;
    }
    return ReplaceWithNewFile(path, EncodeBmp(*bitmap, depth), retry);
}

bool BmpFileFits(int width, int height, int depth) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    const std::uint64_t size =
        kBmpHeadersSize + 1024 + std::uint64_t{BmpStride(depth, width)} * height;
    return size <= kMaxFileSize;
}

int ReplaceWithNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                       const ReplaceRetry& retry) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::filesystem::path temporary = TemporaryPathBeside(path);
        if (!WriteNewFile(temporary, bytes)) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            if (!std::filesystem::is_directory(
                    path.parent_path().empty() ? "." : path.parent_path(), ignored)) {
                return 0;  // no folder to write into
            }
            continue;
        }
        ReplaceOutcome outcome = ReplaceFileWith(temporary, path);
        for (int again = 1; outcome == ReplaceOutcome::InUse && again <= retry.tries; ++again) {
            if (retry.wait) {
                retry.wait(again);
            } else {
                std::this_thread::sleep_for(retry.pause);
            }
            outcome = ReplaceFileWith(temporary, path);
        }
        if (outcome == ReplaceOutcome::Replaced) {
            return 1;
        }
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return 0;
    }
    return 0;
}

}  // namespace ondrel
