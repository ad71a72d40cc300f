// The preview and the final signature are written from one copy of the area kept between
// writes; each file must still hold the whole area as it was when that file was written.

#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/area_capture.h"
#include "imaging/stroke_renderer.h"
#include "tests/imaging/whole_area_file.h"
#include "tests/support/temp_folder.h"
#include "tests/support/whole_file.h"
#include "ui/signature_files.h"

namespace ondrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SignatureFilesContent, EachFileHoldsTheAreaAsItWasWhenItWasWritten) {
    test::TempFolder folder;
    const std::filesystem::path preview = folder.path() / "sign-temp.bmp";
    const std::filesystem::path final = folder.path() / "sign.bmp";
    SignatureFileSeams seams;
    seams.folderOwner = [](const std::filesystem::path&) { return PathOwner::DeskUser; };
    SignatureFiles files(seams);
    SignatureSurface area(90, 40);

    for (int tick = 0; tick < 3; ++tick) {
        DrawSegment(area, {tick * 20, 0}, {tick * 20 + 15, 39}, 1);
        ASSERT_TRUE(files.WritePreview(area, preview, 32)) << tick;
        files.WaitForPreview();
        EXPECT_EQ(test::ReadWholeFile<Bytes>(preview), test::WholeAreaFile(area, 32)) << tick;
    }
    // Done: more ink since the last tick, and a display of another depth.
    DrawSegment(area, {0, 39}, {89, 0}, 0);
    ASSERT_TRUE(files.WriteFinal(area, final, 8));
    EXPECT_EQ(test::ReadWholeFile<Bytes>(final), test::WholeAreaFile(area, 8));

    // The next visitor: a cleared area and a new preview.
    area.FillWhite();
    ASSERT_TRUE(files.WritePreview(area, preview, 32));
    files.WaitForPreview();
    EXPECT_EQ(test::ReadWholeFile<Bytes>(preview), test::WholeAreaFile(area, 32));
}

}  // namespace
}  // namespace ondrel
