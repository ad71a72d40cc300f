// Conversion of a captured bitmap to the bytes of a BMP file at depth 24, 8, 4 or 1.

#include <algorithm>
#include <cstring>

#include "imaging/area_capture.h"
#include "imaging/bmp_layout.h"

namespace ondrel {
namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

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

void WriteRows24(const Bitmap& bitmap, const BmpLayout& layout, std::uint8_t* rows) {
    for (int y = 0; y < bitmap.height; ++y) {
        // The first row in the file is the bottom row of the area.
        const std::uint32_t* source =
            bitmap.pixels.data() + static_cast<std::size_t>(bitmap.height - 1 - y) * bitmap.width;
        std::uint8_t* out = rows + static_cast<std::size_t>(y) * layout.stride;
        for (int x = 0; x < bitmap.width; ++x) {
            const std::uint32_t pixel = source[x];
            out[0] = static_cast<std::uint8_t>(pixel);
            out[1] = static_cast<std::uint8_t>(pixel >> 8);
            out[2] = static_cast<std::uint8_t>(pixel >> 16);
            out += 3;
        }
    }
}

void WriteIndexedRows(const Bitmap& bitmap, const BmpLayout& layout,
                      const std::vector<Rgb>& palette, std::uint8_t* rows) {
    const int depth = layout.depth;
    const int perByte = 8 / depth;
    // Signatures have very few colours: remember the last conversion.
    std::uint32_t lastPixel = 0;
    int lastIndex = -1;
    for (int y = 0; y < bitmap.height; ++y) {
        const std::uint32_t* source =
            bitmap.pixels.data() + static_cast<std::size_t>(bitmap.height - 1 - y) * bitmap.width;
        std::uint8_t* out = rows + static_cast<std::size_t>(y) * layout.stride;
        for (int x = 0; x < bitmap.width; ++x) {
            if (lastIndex < 0 || source[x] != lastPixel) {
                lastPixel = source[x];
                lastIndex = NearestIndex(palette, ToRgb(lastPixel));
            }
            // Packed from the most significant bits of each byte.
            const int shift = (perByte - 1 - x % perByte) * depth;
            out[x / perByte] = static_cast<std::uint8_t>(out[x / perByte] | (lastIndex << shift));
        }
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap, int depth) {
    const BmpLayout layout = ComputeBmpLayout(bitmap.width, bitmap.height, depth);
    std::vector<std::uint8_t> file(layout.fileSize, 0);
    const auto headers = MakeBmpHeaders(layout);
    std::memcpy(file.data(), headers.data(), headers.size());
    std::uint8_t* rows = file.data() + layout.pixelOffset;
    if (depth == 24) {
        WriteRows24(bitmap, layout, rows);
        return file;
    }
    const std::vector<Rgb> palette = Palette(depth);
    std::uint8_t* table = file.data() + kBmpHeadersSize;
    for (const Rgb& entry : palette) {  // RGBQUAD: blue, green, red, 0
        table[0] = entry.b;
        table[1] = entry.g;
        table[2] = entry.r;
        table += 4;
    }
    WriteIndexedRows(bitmap, layout, palette, rows);
    return file;
}

}  // namespace ondrel
