#include "imaging/area_capture.h"

#include <algorithm>

namespace ondrel {

std::optional<Bitmap> CopyAreaToBitmap(const Rect& rect, const SignatureSurface& source) {
    Bitmap bitmap;
    if (!CopyAreaToBitmap(rect, source, bitmap)) {
        return std::nullopt;
    }
    return bitmap;
}

bool CopyAreaToBitmap(const Rect& rect, const SignatureSurface& source, Bitmap& into) {
    if (rect.IsEmpty()) {
        return false;
    }
    into.width = rect.Width();
    into.height = rect.Height();
    const std::size_t count = static_cast<std::size_t>(into.width) * into.height;
    if (rect == Rect{0, 0, source.width(), source.height()}) {
        into.pixels.assign(source.pixels(), source.pixels() + count);  // the usual case
        return true;
    }
    into.pixels.assign(count, kWhite);
    const int left = std::max(rect.left, 0);
    const int right = std::min(rect.right, source.width());
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, source.height()); ++y) {
        if (left >= right) {
            break;
        }
        const std::uint32_t* from = source.pixels() + static_cast<std::size_t>(y) * source.width();
        std::uint32_t* to = into.pixels.data() +
                            static_cast<std::size_t>(y - rect.top) * into.width +
                            (left - rect.left);
        std::copy(from + left, from + right, to);
    }
    return true;
}

}  // namespace ondrel
