#include "imaging/bmp_layout.h"

namespace ondrel {
namespace {

void PutLe16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(std::uint8_t* at, std::uint32_t value) {
    PutLe16(at, value & 0xFFFF);
    PutLe16(at + 2, value >> 16);
}

}  // namespace

int ChooseBmpDepth(int displayDepth) {
    if (displayDepth <= 1) {
        return 1;
    }
    if (displayDepth <= 4) {
        return 4;
    }
    if (displayDepth <= 8) {
        return 8;
    }
    return 24;
}

std::uint32_t BmpStride(int depth, int width) {
    const std::uint64_t bits =
        static_cast<std::uint64_t>(depth) * static_cast<std::uint64_t>(width);
    return static_cast<std::uint32_t>((bits + 31) / 32 * 4);
}

BmpLayout ComputeBmpLayout(int width, int height, int depth) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.depth = depth;
    layout.stride = BmpStride(depth, width);
    layout.pixelBytes = layout.stride * static_cast<std::uint32_t>(height);
    layout.colorTableEntries = depth <= 8 ? (1u << depth) : 0u;
    layout.colorTableBytes = 4 * layout.colorTableEntries;
    layout.pixelOffset = kBmpHeadersSize + layout.colorTableBytes;
    layout.fileSize = layout.pixelOffset + layout.pixelBytes;
    return layout;
}

std::array<std::uint8_t, kBmpHeadersSize> MakeBmpHeaders(const BmpLayout& layout) {
    std::array<std::uint8_t, kBmpHeadersSize> h{};
    // BITMAPFILEHEADER
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(&h[2], layout.fileSize);
    PutLe32(&h[10], layout.pixelOffset);
    // BITMAPINFOHEADER; compression, image size, resolution and colour counts stay 0.
    PutLe32(&h[14], kBmpInfoHeaderSize);
    PutLe32(&h[18], static_cast<std::uint32_t>(layout.width));
    PutLe32(&h[22], static_cast<std::uint32_t>(layout.height));  // positive: rows bottom-up
    PutLe16(&h[26], 1);
    PutLe16(&h[28], static_cast<std::uint32_t>(layout.depth));
    return h;
}

std::size_t BmpRowOffset(const BmpLayout& layout, int y) {
    return layout.pixelOffset + static_cast<std::size_t>(layout.height - 1 - y) * layout.stride;
}

}  // namespace ondrel
