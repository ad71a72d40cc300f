#include "imaging/preview_file.h"

#include <algorithm>

#include "imaging/bmp_file_steps.h"
#include "imaging/bmp_row_encoder.h"

namespace ondrel {

bool PreviewFile::Capture(const SignatureSurface& area) {
    const int width = area.width();
    const int height = area.height();
    if (width != bitmap_.width || height != bitmap_.height) {
        if (!CopyAreaToBitmap(Rect{0, 0, width, height}, area, bitmap_)) {
            return false;
        }
        changedRows_.assign(static_cast<std::size_t>(height), 1);
        return true;
    }
    if (width <= 0 || height <= 0) {
        return false;
    }
    // Reading both rows costs about what copying one does, and most rows are left as they were.
    for (int y = 0; y < height; ++y) {
        const std::size_t offset = static_cast<std::size_t>(y) * width;
        const std::uint32_t* from = area.pixels() + offset;
        std::uint32_t* to = bitmap_.pixels.data() + offset;
        if (!std::equal(from, from + width, to)) {
            std::copy(from, from + width, to);
            changedRows_[static_cast<std::size_t>(y)] = 1;
        }
    }
    return true;
}

int PreviewFile::Save(const std::filesystem::path& path, int displayDepth,
                      const ReplaceRetry& retry) {
    const int depth = ChooseBmpDepth(displayDepth);
    if (!BmpFileFits(bitmap_.width, bitmap_.height, depth)) {
        return 0;
    }
    const BmpLayout layout = ComputeBmpLayout(bitmap_.width, bitmap_.height, depth);
    if (layout.width != bytesLayout_.width || layout.height != bytesLayout_.height ||
        layout.depth != bytesLayout_.depth) {
        bytes_ = EncodeBmp(bitmap_, depth);
        bytesLayout_ = layout;
    } else {
        BmpRowEncoder encoder(depth);
        for (int y = 0; y < bitmap_.height; ++y) {
            if (changedRows_[static_cast<std::size_t>(y)] != 0) {
                encoder.EncodeRow(bitmap_, y, bytes_.data() + BmpRowOffset(layout, y),
                                  layout.stride);
            }
        }
    }
    std::fill(changedRows_.begin(), changedRows_.end(), std::uint8_t{0});
    return ReplaceWithNewFile(path, bytes_, retry);
}

}  // namespace ondrel
