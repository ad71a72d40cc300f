// The window's plain rules: dialog units, the views' rectangle, when a placement is applied.

#include <gtest/gtest.h>

#include <vector>

#include "ui/rules/dialog_units.h"
#include "ui/rules/view_layout.h"
#include "ui/rules/window_placement.h"

namespace ondrel {
namespace {

TEST(DialogUnits, ConvertWithAQuarterWidthAndAnEighthHeight) {
    const DialogBaseUnits units{6, 13};
    EXPECT_EQ(DialogToPixels({7, 20, 60, 47}, units), (Rect{11, 33, 11 + 90, 33 + 76}));
    EXPECT_EQ(DialogToPixels({643, 365, 0, 0}, units).left, 965);  // 964.5 rounds up
    EXPECT_EQ(DialogToPixels({0, 0, 643, 365}, units).Height(), 593);
}

TEST(DialogUnits, BaseUnitsFollowTheDialogManagersFormula) {
    EXPECT_EQ(BaseUnitsFromMetrics(312, 13).cx, 6);  // 312 / 26 = 12, (12 + 1) / 2 = 6
    EXPECT_EQ(BaseUnitsFromMetrics(364, 16).cx, 7);
    EXPECT_EQ(BaseUnitsFromMetrics(364, 16).cy, 16);
}

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDivRound(1, 6, 4), 2);
    EXPECT_EQ(MulDivRound(1, 5, 4), 1);
    EXPECT_EQ(MulDivRound(-1, 6, 4), -2);
}

TEST(ViewLayout, Figures) {
    EXPECT_EQ(ViewsRectForClient(1000, 700), (Rect{110, 35, 110 + 865, 35 + 640}));
    EXPECT_EQ(ViewsRectForClient(1920, 1080), (Rect{110, 35, 110 + 1785, 35 + 1020}));
    EXPECT_EQ(ViewsRectForClient(135, 700).Width(), 0);
    EXPECT_EQ(ViewsRectForClient(1000, 60).Height(), 0);
}

TEST(ViewLayout, TinyOrMinimizedClientsGiveNoNegativeSize) {
    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{100, 50}, std::pair{-5, -5}}) {
        const Rect r = ViewsRectForClient(w, h);
        EXPECT_EQ(r.left, 110);
        EXPECT_EQ(r.top, 35);
        EXPECT_EQ(r.Width(), 0);
        EXPECT_EQ(r.Height(), 0);
    }
}

const std::vector<Rect> kOneScreen = {{0, 0, 1920, 1080}};

TEST(WindowPlacement, AppliedOnlyWhenAllFourAreSet) {
    EXPECT_TRUE(ShouldApplyPlacement({10, 500, 20, 400}, kOneScreen));
    EXPECT_FALSE(ShouldApplyPlacement({}, kOneScreen));
    EXPECT_FALSE(ShouldApplyPlacement({10, 500, 20, PLACEMENT_UNSET}, kOneScreen));
    EXPECT_FALSE(ShouldApplyPlacement({PLACEMENT_UNSET, 500, 20, 400}, kOneScreen));
}

TEST(WindowPlacement, NotAppliedOffEveryScreen) {
    EXPECT_FALSE(ShouldApplyPlacement({2000, 2500, 20, 400}, kOneScreen));
    EXPECT_FALSE(ShouldApplyPlacement({-32000, -31840, -32000, -31973}, kOneScreen));
    EXPECT_FALSE(ShouldApplyPlacement({10, 500, 20, 400}, {}));
    const std::vector<Rect> twoScreens = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
    EXPECT_TRUE(ShouldApplyPlacement({2000, 2500, 20, 400}, twoScreens));
}

TEST(WindowPlacement, PartlyOnAScreenIsApplied) {
    EXPECT_TRUE(ShouldApplyPlacement({-300, 100, -50, 300}, kOneScreen));
    EXPECT_TRUE(ShouldApplyPlacement({1900, 2600, 1000, 1500}, kOneScreen));
}

TEST(WindowPlacement, AnEmptyRectangleIsNotApplied) {
    EXPECT_FALSE(ShouldApplyPlacement({500, 500, 20, 400}, kOneScreen));
    EXPECT_FALSE(ShouldApplyPlacement({600, 500, 20, 400}, kOneScreen));
}

}  // namespace
}  // namespace ondrel
