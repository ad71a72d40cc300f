#include "imaging/signature_surface.h"

#include <algorithm>

namespace ondrel {

SignatureSurface::SignatureSurface(int width, int height) {
    Resize(width, height);
}

void SignatureSurface::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) {
        return;
    }
    std::vector<std::uint32_t> resized(static_cast<std::size_t>(width) * height, kWhite);
    const int keepWidth = std::min(width, width_);
    const int keepHeight = std::min(height, height_);
    for (int y = 0; y < keepHeight; ++y) {
        const auto* from = pixels_.data() + Index(0, y);
        std::copy(from, from + keepWidth, resized.data() + static_cast<std::size_t>(y) * width);
    }
    pixels_ = std::move(resized);
    width_ = width;
    height_ = height;
}

void SignatureSurface::FillWhite() {
    std::fill(pixels_.begin(), pixels_.end(), kWhite);
}

void SignatureSurface::FillSpanBlack(int y, int x0, int x1) {
    if (y < 0 || y >= height_) {
        return;
    }
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width_);
    if (x0 < x1) {
        std::fill(pixels_.data() + Index(x0, y), pixels_.data() + Index(x0, y) + (x1 - x0), kBlack);
    }
}

}  // namespace ondrel
