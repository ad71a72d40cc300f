#include "imaging/preview_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "imaging/area_capture.h"
#include "imaging/stroke_renderer.h"
#include "tests/imaging/whole_area_file.h"
#include "tests/support/temp_folder.h"
#include "tests/support/whole_file.h"

namespace ondrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PreviewFile, EveryPreviewIsTheWholeFileOfTheAreaAsItIsThen) {
    test::TempFolder folder;
    const std::filesystem::path target = folder.path() / "sign-temp.bmp";
    SignatureSurface area(61, 37);
    PreviewFile preview;

    // Each step changes the area (or the depth) between two previews, as a visit does.
    struct Step {
        std::string what;
        std::function<void()> change;
        int displayDepth;
    };
    const std::vector<Step> steps = {
        {"the first, white", [] {}, 32},
        {"a stroke",
         [&] {
             DrawSegment(area, {3, 4}, {50, 30}, 2);
         },
         32},
        {"nothing new", [] {}, 32},
        {"one pixel in the last row", [&] { area.SetBlack(60, 36); }, 32},
        {"a stroke, at depth 1",
         [&] {
             DrawSegment(area, {0, 20}, {60, 20}, 0);
         },
         1},
        {"back at depth 24", [&] { area.SetBlack(0, 0); }, 24},
        {"cleared", [&] { area.FillWhite(); }, 24},
        {"wider", [&] { area.Resize(70, 37); }, 24},
        {"shorter, with a stroke",
         [&] {
             area.Resize(70, 20);
             DrawSegment(area, {69, 0}, {0, 19}, 1);
         },
         8},
    };
    for (const Step& step : steps) {
        step.change();
        ASSERT_TRUE(preview.Capture(area)) << step.what;
        ASSERT_EQ(preview.Save(target, step.displayDepth, {}), 1) << step.what;
        EXPECT_EQ(test::ReadWholeFile<Bytes>(target), test::WholeAreaFile(area, step.displayDepth))
            << step.what;
    }
}

TEST(PreviewFile, RowsChangedBeforeAFailedSaveAreInTheNextFile) {
    test::TempFolder folder;
    SignatureSurface area(40, 30);
    PreviewFile preview;
    ASSERT_TRUE(preview.Capture(area));
    ASSERT_EQ(preview.Save(folder.path() / "sign-temp.bmp", 32, {}), 1);

    DrawSegment(area, {0, 0}, {39, 29}, 1);
    ASSERT_TRUE(preview.Capture(area));
    EXPECT_EQ(preview.Save(folder.path() / "missing" / "sign-temp.bmp", 32, {}), 0);

    area.SetBlack(20, 3);
    ASSERT_TRUE(preview.Capture(area));
    ASSERT_EQ(preview.Save(folder.path() / "sign-temp.bmp", 32, {}), 1);
    EXPECT_EQ(test::ReadWholeFile<Bytes>(folder.path() / "sign-temp.bmp"),
              test::WholeAreaFile(area, 32));
}

TEST(PreviewFile, AnEmptyAreaIsNoCaptureAndKeepsTheLastOne) {
    SignatureSurface area(5, 4);
    area.SetBlack(1, 1);
    PreviewFile preview;
    EXPECT_FALSE(preview.Capture(SignatureSurface(0, 4)));
    EXPECT_EQ(preview.Save("unused.bmp", 24, {}), 0);  // nothing captured yet
    ASSERT_TRUE(preview.Capture(area));
    EXPECT_FALSE(preview.Capture(SignatureSurface(0, 0)));
    EXPECT_EQ(preview.bitmap().width, 5);
    EXPECT_EQ(preview.bitmap().pixels[6], kBlack);
}

}  // namespace
}  // namespace ondrel
