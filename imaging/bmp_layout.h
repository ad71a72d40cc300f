#pragma once

// The layout of an uncompressed BMP file (BITMAPFILEHEADER + BITMAPINFOHEADER, rows bottom-up),
// as pure computations.

#include <array>
#include <cstddef>
#include <cstdint>

namespace ondrel {

inline constexpr std::uint32_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;
inline constexpr std::uint32_t kBmpHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;

// Depth written for a display depth d: d <= 1 -> 1, 2..4 -> 4, 5..8 -> 8, otherwise 24.
int ChooseBmpDepth(int displayDepth);

struct BmpLayout {
    int width = 0;
    int height = 0;
    int depth = 24;
    std::uint32_t stride = 0;             // bytes per row, padded to a multiple of 4
    std::uint32_t pixelBytes = 0;         // S = stride * height
    std::uint32_t colorTableEntries = 0;  // 2^depth for depths 1, 4, 8; 0 at 24
    std::uint32_t colorTableBytes = 0;    // T = 4 * entries
    std::uint32_t pixelOffset = 0;        // bfOffBits = 54 + T
    std::uint32_t fileSize = 0;           // bfSize = 54 + T + S
};

std::uint32_t BmpStride(int depth, int width);
BmpLayout ComputeBmpLayout(int width, int height, int depth);

// Where row `y` of the area (counted from the top) starts in the file: the file's first row is
// the area's bottom row.
std::size_t BmpRowOffset(const BmpLayout& layout, int y);

// The 54 bytes of both headers for a layout.
std::array<std::uint8_t, kBmpHeadersSize> MakeBmpHeaders(const BmpLayout& layout);

}  // namespace ondrel
