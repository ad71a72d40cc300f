// The BMP writer where even root may not create a file: a save must fail and leave the file
// alone, not fall back to writing it in place.
#include <gtest/gtest.h>

#include "imaging/area_capture.h"
#include "tests/imaging/file_test_support.h"

namespace ondrel {
namespace {

TEST(BmpWriterPosix, AFolderNoOneMayCreateFilesInLeavesItsFileAlone) {
    const auto bitmap = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    // Root writes to this file without complaint, but no file can be created beside it.
    const std::filesystem::path unwritable = "/proc/self/comm";
    const auto name = test::ReadWholeFile(unwritable);
    EXPECT_EQ(SaveBitmapToFile(&*bitmap, unwritable, 24), 0);
    EXPECT_EQ(test::ReadWholeFile(unwritable), name);
}

}  // namespace
}  // namespace ondrel
