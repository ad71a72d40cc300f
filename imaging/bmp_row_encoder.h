#pragma once

// Conversion of a captured bitmap to a BMP file's bytes, a row at a time: what both the whole
// file's encoder and the preview, which converts again only the rows that changed, are made of.

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/area_capture.h"
#include "imaging/bmp_layout.h"

namespace ondrel {

class BmpRowEncoder {
  public:
    // Depth 24, 8, 4 or 1.
    explicit BmpRowEncoder(int depth);

    // Everything before the first row: both headers, then the colour table of an indexed depth.
    std::vector<std::uint8_t> Head(const BmpLayout& layout) const;
    // Writes row `y` of `bitmap` (counted from the top) as the file stores it into the
    // `stride` bytes at `out`, padding included.
    void EncodeRow(const Bitmap& bitmap, int y, std::uint8_t* out, std::size_t stride);

    struct Colour {
        std::uint8_t r, g, b;
    };

  private:
    int depth_;
    std::vector<Colour> palette_;  // empty at depth 24
    // Signatures have very few colours: the last conversion to an index is remembered.
    std::optional<std::uint32_t> lastPixel_;
    int lastIndex_ = 0;
};

}  // namespace ondrel
