#pragma once

#include <QtGlobal>
#include <cstddef>

namespace ondrel {

// What one agreement may cost the view. Beyond these the reader leaves things out, says so in
// the terms log ("ondrel.terms") and shows the rest.
struct RtfLimits {
    // Bytes of the document read; the rest is not read.
    std::size_t documentBytes = std::size_t{64} << 20;
    // Memory a picture takes decoded, judged from the size its data declares before anything
    // is decoded: for one picture, and for all of them together.
    qint64 pictureBytes = qint64{128} << 20;
    qint64 allPicturesBytes = qint64{256} << 20;
};

}  // namespace ondrel
