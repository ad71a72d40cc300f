// Conversion of a captured bitmap to the bytes of a BMP file at depth 24, 8, 4 or 1.

#include <algorithm>
#include <bit>
#include <cstring>

#include "imaging/area_capture.h"
#include "imaging/bmp_layout.h"
#include "imaging/bmp_row_encoder.h"

namespace ondrel {
namespace {

using Rgb = BmpRowEncoder::Colour;

Rgb ToRgb(std::uint32_t pixel) {
    return {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
            static_cast<std::uint8_t>(pixel)};
}

// The colour tables. Depth 1: black and white. Depth 4: the sixteen VGA colours. Depth 8: a
// 6x6x6 colour cube followed by a ramp of 40 greys. Black and white are exact in every table, so
// a signature converts without loss at any depth.
std::vector<Rgb> Palette(int depth) {
    std::vector<Rgb> palette;
    if (depth == 1) {
        palette = {{0, 0, 0}, {255, 255, 255}};
    } else if (depth == 4) {
        palette = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                   {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                   {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    } else {
        for (int r = 0; r < 6; ++r) {
            for (int g = 0; g < 6; ++g) {
                for (int b = 0; b < 6; ++b) {
                    palette.push_back({static_cast<std::uint8_t>(r * 51),
                                       static_cast<std::uint8_t>(g * 51),
                                       static_cast<std::uint8_t>(b * 51)});
                }
            }
        }
        for (int i = 1; palette.size() < 256; ++i) {
            const auto grey = static_cast<std::uint8_t>(i * 255 / 41);
            palette.push_back({grey, grey, grey});
        }
    }
    return palette;
}

int NearestIndex(const std::vector<Rgb>& palette, Rgb colour) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = palette[i].r - colour.r;
        const int dg = palette[i].g - colour.g;
        const int db = palette[i].b - colour.b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// Converts one row of the area to a row of the file at depth 24: blue, green, red for each
// pixel. On a little-endian machine a pixel's four bytes in memory are blue, green, red and
// 0xFF, so each pixel is stored whole and the next one overwrites its fourth byte; the last is
// stored byte by byte so that nothing is written past the row. It takes about half the time
// of storing every byte on its own.
void WriteRow24(const std::uint32_t* source, int width, std::uint8_t* out) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 1 < width; ++x) {
            std::memcpy(out, source + x, 4);
            out += 3;
        }
    }
    for (; x < width; ++x) {
        const std::uint32_t pixel = source[x];
        out[0] = static_cast<std::uint8_t>(pixel);
        out[1] = static_cast<std::uint8_t>(pixel >> 8);
        out[2] = static_cast<std::uint8_t>(pixel >> 16);
        out += 3;
    }
}

}  // namespace

BmpRowEncoder::BmpRowEncoder(int depth) : depth_(depth) {
    if (depth != 24) {
        palette_ = Palette(depth);
    }
}

std::vector<std::uint8_t> BmpRowEncoder::Head(const BmpLayout& layout) const {
    std::vector<std::uint8_t> head(layout.pixelOffset, 0);
    const auto headers = MakeBmpHeaders(layout);
    std::memcpy(head.data(), headers.data(), headers.size());
    std::uint8_t* table = head.data() + kBmpHeadersSize;
    for (const Rgb& entry : palette_) {  // RGBQUAD: blue, green, red, 0
        table[0] = entry.b;
        table[1] = entry.g;
        table[2] = entry.r;
        table += 4;
    }
    return head;
}

void BmpRowEncoder::EncodeRow(const Bitmap& bitmap, int y, std::uint8_t* out, std::size_t stride) {
    const std::uint32_t* source = bitmap.pixels.data() + static_cast<std::size_t>(y) * bitmap.width;
    if (depth_ == 24) {
        WriteRow24(source, bitmap.width, out);
        const std::size_t used = static_cast<std::size_t>(bitmap.width) * 3;
        std::fill(out + used, out + stride, std::uint8_t{0});
        return;
    }
    // Indices are packed from the most significant bits of each byte, by OR.
    std::fill(out, out + stride, std::uint8_t{0});
    const int perByte = 8 / depth_;
    for (int x = 0; x < bitmap.width; ++x) {
        if (source[x] != lastPixel_) {
            lastPixel_ = source[x];
            lastIndex_ = NearestIndex(palette_, ToRgb(source[x]));
        }
        const int shift = (perByte - 1 - x % perByte) * depth_;
        out[x / perByte] = static_cast<std::uint8_t>(out[x / perByte] | (lastIndex_ << shift));
    }
}

std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap, int depth) {
    const BmpLayout layout = ComputeBmpLayout(bitmap.width, bitmap.height, depth);
    BmpRowEncoder encoder(depth);
    std::vector<std::uint8_t> file = encoder.Head(layout);
    file.resize(layout.fileSize);
    for (int y = 0; y < bitmap.height; ++y) {
        encoder.EncodeRow(bitmap, y, file.data() + BmpRowOffset(layout, y), layout.stride);
    }
    return file;
}

}  // namespace ondrel
