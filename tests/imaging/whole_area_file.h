#pragma once

// What SaveBitmapToFile writes for the whole of an area as it is now: the file every kept-copy
// write must match.

#include <cstdint>
#include <vector>

#include "imaging/area_capture.h"
#include "imaging/bmp_layout.h"
#include "imaging/signature_surface.h"

namespace ondrel::test {

inline std::vector<std::uint8_t> WholeAreaFile(const SignatureSurface& area, int displayDepth) {
    const auto bitmap = CopyAreaToBitmap({0, 0, area.width(), area.height()}, area);
    return EncodeBmp(*bitmap, ChooseBmpDepth(displayDepth));
}

}  // namespace ondrel::test
