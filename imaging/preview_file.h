#pragma once

// The live preview's capture and file bytes, kept from one preview to the next. A preview is
// written every second while the visitor signs, and between two of them only the rows the pen
// crossed change: the capture copies only those rows, the file's bytes are converted again only
// for them, and the file is written from the bytes kept. What is written is always exactly what
// SaveBitmapToFile writes for the same area.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imaging/area_capture.h"
#include "imaging/bmp_layout.h"
#include "imaging/signature_surface.h"

namespace ondrel {

class PreviewFile {
  public:
    // Copies the whole area, as CopyAreaToBitmap does, noting which rows differ from the last
    // copy (every row when the size changed). False, and the last copy kept, for an empty area.
    bool Capture(const SignatureSurface& area);
    const Bitmap& bitmap() const { return bitmap_; }

    // Writes the last copy to `path` as SaveBitmapToFile(&bitmap(), path, displayDepth, retry)
    // does, with the same result; only rows changed since the last save at the same size and
    // depth are converted again, whether or not that save's file could be written.
    int Save(const std::filesystem::path& path, int displayDepth, const ReplaceRetry& retry);

  private:
    Bitmap bitmap_;
    std::vector<std::uint8_t> changedRows_;  // per row of bitmap_, top-down: not yet in bytes_
    BmpLayout bytesLayout_;                  // the layout bytes_ was made for
    std::vector<std::uint8_t> bytes_;        // the file, rows up to date but for changedRows_
};

}  // namespace ondrel
