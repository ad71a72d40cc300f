#include "imaging/area_capture.h"

#include <algorithm>

namespace ondrel {

std::optional<Bitmap> CopyAreaToBitmap(const Rect& rect, const SignatureSurface& source) {
    if (rect.IsEmpty()) {
        return std::nullopt;
    }
    Bitmap bitmap;
    bitmap.width = rect.Width();
    bitmap.height = rect.Height();
    bitmap.pixels.assign(static_cast<std::size_t>(bitmap.width) * bitmap.height, kWhite);

    const int left = std::max(rect.left, 0);
    const int right = std::min(rect.right, source.width());
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, source.height()); ++y) {
        if (left >= right) {
            break;
        }
        const std::uint32_t* from = source.pixels() + static_cast<std::size_t>(y) * source.width();
        std::uint32_t* to = bitmap.pixels.data() +
                            static_cast<std::size_t>(y - rect.top) * bitmap.width +
                            (left - rect.left);
        std::copy(from + left, from + right, to);
    }
    return bitmap;
}

}  // namespace ondrel
