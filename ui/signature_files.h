#pragma once

// The two signature files of the exchange folder: the live preview, rewritten every second
// while the visitor signs, and the final signature that Done writes. The area is copied on the
// window thread, between two reports.

#include <filesystem>
#include <functional>

#include "imaging/area_capture.h"
#include "imaging/signature_surface.h"

namespace ondrel {

// Writes a bitmap as a BMP file, as SaveBitmapToFile does: 1 when written, 0 otherwise.
using BitmapWriter =
    std::function<int(const Bitmap* bitmap, const std::filesystem::path& path, int displayDepth)>;

// What tests replace.
struct SignatureFileSeams {
    // SaveBitmapToFile when empty.
    BitmapWriter write;
};

class SignatureFiles {
  public:
    explicit SignatureFiles(SignatureFileSeams seams = {});

    // Copies the area and writes it to `path`, replacing the earlier preview whole. False when
    // nothing was written.
    bool WritePreview(const SignatureSurface& area, const std::filesystem::path& path,
                      int displayDepth);
    // Writes the area to `path`; returns whether it was written. When it was not, an earlier
    // file of that name is removed, so that nobody takes an earlier visitor's signature for
    // this one.
    bool WriteFinal(const SignatureSurface& area, const std::filesystem::path& path,
                    int displayDepth);

  private:
    bool Write(const SignatureSurface& area, const std::filesystem::path& path,
               int displayDepth) const;

    SignatureFileSeams seams_;
};

}  // namespace ondrel
