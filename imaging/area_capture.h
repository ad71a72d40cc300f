#pragma once

// Capturing the signature area and writing it as the BMP file the visitor-management host reads.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "base/geometry.h"
#include "imaging/signature_surface.h"

namespace ondrel {

// A copy of a rectangle of the surface, in the surface's pixel format.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xFFRRGGBB, rows top-down
};

// Copies the rectangle 1:1; no bitmap for an empty rectangle. Parts of the rectangle outside the
// surface read as white.
std::optional<Bitmap> CopyAreaToBitmap(const Rect& rect, const SignatureSurface& source);
// The same into an existing bitmap, reusing its memory (a preview every second need not fault in
// megabytes afresh). False, and the bitmap left as it was, for an empty rectangle.
bool CopyAreaToBitmap(const Rect& rect, const SignatureSurface& source, Bitmap& into);

// Writes the bitmap as an uncompressed BMP of ChooseBmpDepth(displayDepth) bits per pixel and
// returns 1, or returns 0 when there is no bitmap or the file could not be written. The file is
// written under a temporary name in the same folder and renamed over the target, so a reader
// sees either the earlier file whole or the new one whole; a failure leaves the earlier file as
// it was and no temporary file behind.
int SaveBitmapToFile(const Bitmap* bitmap, const std::filesystem::path& path, int displayDepth);

// How a replace that finds the target held open by another program is tried again: on Windows
// an open file cannot be replaced (under Wine not even when its holder shares delete), and a
// host that reads the file lets go of it soon. No tries: it is not tried again.
struct ReplaceRetry {
    int tries = 0;                       // further tries after the first
    std::chrono::milliseconds pause{0};  // before each of them
    // Waits before try `attempt` (1 to `tries`); sleeps for `pause` when empty.
    std::function<void(int attempt)> wait;
};

// SaveBitmapToFile, with the replace tried again as `retry` says while the target is held open.
// The bytes are written once; only the replace is repeated.
int SaveBitmapToFile(const Bitmap* bitmap, const std::filesystem::path& path, int displayDepth,
                     const ReplaceRetry& retry);

// The file's bytes at `depth` (24, 8, 4 or 1), as SaveBitmapToFile writes them.
std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap, int depth);

}  // namespace ondrel
