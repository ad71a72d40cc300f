#pragma once

// The signature area's off-screen raster. Strokes exist only as its pixels: the renderer adds
// black, the workflow clears it to white, the capture copies it, and the area widget shows it.
// Pixels are 32-bit 0xFFRRGGBB, rows top-down, the memory layout of QImage::Format_RGB32, so a
// widget can show the surface without copying it.

#include <cstdint>
#include <vector>

namespace ondrel {

inline constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
inline constexpr std::uint32_t kBlack = 0xFF000000u;

class SignatureSurface {
  public:
    SignatureSurface() = default;
    SignatureSurface(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::uint32_t* pixels() const { return pixels_.data(); }
    std::uint32_t* pixels() { return pixels_.data(); }
    std::uint32_t PixelAt(int x, int y) const { return pixels_[Index(x, y)]; }

    // Changes the size, keeping the pixels that lie in both the old and the new size; pixels
    // that are new are white. Negative sizes count as 0.
    void Resize(int width, int height);
    void FillWhite();
    // Sets one pixel to black; points outside the surface are ignored.
    void SetBlack(int x, int y) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) {
            pixels_[Index(x, y)] = kBlack;
        }
    }
    // Sets pixels [x0, x1) of row y to black, clipped to the surface.
    void FillSpanBlack(int y, int x0, int x1);

  private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace ondrel
