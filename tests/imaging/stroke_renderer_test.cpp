#include "imaging/stroke_renderer.h"

#include <gtest/gtest.h>

namespace ondrel {
namespace {

int CountBlack(const SignatureSurface& surface) {
    int count = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            count += surface.PixelAt(x, y) == kBlack ? 1 : 0;
        }
    }
    return count;
}

// Number of black pixels in column x.
int ColumnThickness(const SignatureSurface& surface, int x) {
    int count = 0;
    for (int y = 0; y < surface.height(); ++y) {
        count += surface.PixelAt(x, y) == kBlack ? 1 : 0;
    }
    return count;
}

PenReport At(std::uint16_t x, std::uint16_t y, std::uint16_t pressure) {
    return {x, y, pressure};
}

constexpr TabletExtent kExtent{10000, 10000};

TEST(ScalePoint, ScalesEachAxisIndependentlyAndTruncates) {
    const TabletExtent extent{10000, 5000};
    EXPECT_EQ(ScalePoint(5000, 0, 1200, 600, extent), (Point{600, 0}));
    EXPECT_EQ(ScalePoint(1, 1, 1200, 600, extent), (Point{0, 0}));
    EXPECT_EQ(ScalePoint(10000, 5000, 1200, 600, extent), (Point{1200, 600}));  // one past the edge
    EXPECT_EQ(ScalePoint(9999, 2500, 1200, 600, extent), (Point{1199, 300}));
}

TEST(ScalePoint, ProductIsFormedInUnsigned32Bits) {
    // 70000 * 65535 does not fit in 32 bits: the product wraps before the division, which is
    // how points beyond a tiny extent have always been scaled.
    const TabletExtent extent{1, 1};
    const std::uint32_t wrapped = static_cast<std::uint32_t>(70000u * 65535u);
    EXPECT_EQ(ScalePoint(65535, 0, 70000, 10, extent).x, static_cast<std::int32_t>(wrapped));
}

TEST(SegmentWidth, IsPressureDividedBy128) {
    EXPECT_EQ(SegmentWidth(127), 0);
    EXPECT_EQ(SegmentWidth(128), 1);
    EXPECT_EQ(SegmentWidth(256), 2);
    EXPECT_EQ(SegmentWidth(1000), 7);
    EXPECT_EQ(SegmentWidth(65535), 511);
}

TEST(RenderPenReport, FollowsTheFourTransitions) {
    SignatureSurface surface(100, 100);
    PenState pen;

    // Up, no pressure: nothing drawn, nothing remembered.
    EXPECT_FALSE(RenderPenReport(pen, At(5000, 5000, 0), kExtent, surface));
    EXPECT_EQ(pen, (PenState{false, {0, 0}}));

    // Up, pressure: the pen goes down, nothing drawn yet.
    EXPECT_FALSE(RenderPenReport(pen, At(1000, 1000, 1000), kExtent, surface));
    EXPECT_EQ(pen, (PenState{true, {10, 10}}));
    EXPECT_EQ(CountBlack(surface), 0);

    // Down, pressure: a segment to the new point.
    EXPECT_TRUE(RenderPenReport(pen, At(5000, 1000, 1000), kExtent, surface));
    EXPECT_EQ(pen, (PenState{true, {50, 10}}));
    EXPECT_EQ(surface.PixelAt(30, 10), kBlack);

    // Down, no pressure: the lift draws a one-pixel segment to where the pen lifted.
    EXPECT_TRUE(RenderPenReport(pen, At(5000, 8000, 0), kExtent, surface));
    EXPECT_EQ(pen, (PenState{false, {50, 80}}));
    EXPECT_EQ(surface.PixelAt(50, 60), kBlack);
    EXPECT_EQ(surface.PixelAt(51, 60), kWhite);
    EXPECT_EQ(surface.PixelAt(49, 60), kWhite);

    // Further lifts draw nothing.
    const int before = CountBlack(surface);
    EXPECT_FALSE(RenderPenReport(pen, At(100, 100, 0), kExtent, surface));
    EXPECT_EQ(CountBlack(surface), before);
    EXPECT_EQ(pen.lastPoint, (Point{50, 80}));
}

TEST(RenderPenReport, PressureSetsTheWidthAcrossTheStroke) {
    struct Case {
        std::uint16_t pressure;
        int thickness;
    };
    for (const Case c : {Case{1, 1}, Case{127, 1}, Case{128, 1}, Case{256, 2}, Case{1000, 7}}) {
        SignatureSurface surface(200, 100);
        PenState pen;
        RenderPenReport(pen, At(1000, 5000, c.pressure), kExtent, surface);
        RenderPenReport(pen, At(9000, 5000, c.pressure), kExtent, surface);
        EXPECT_EQ(ColumnThickness(surface, 100), c.thickness) << "pressure " << c.pressure;
    }
}

TEST(RenderPenReport, WideSegmentsHaveRoundEnds) {
    SignatureSurface surface(100, 100);
    DrawSegment(surface, {50, 50}, {50, 50}, 9);
    // A dot of width 9 is a disc: full width through the middle, shorter across the corners.
    EXPECT_EQ(ColumnThickness(surface, 50), 9);
    EXPECT_EQ(surface.PixelAt(54, 50), kBlack);
    EXPECT_EQ(surface.PixelAt(54, 54), kWhite);
    EXPECT_LT(ColumnThickness(surface, 54), 9);
}

TEST(RenderPenReport, ZeroExtentDrawsNothingAndKeepsThePenState) {
    SignatureSurface surface(50, 50);
    PenState pen{true, {10, 10}};
    EXPECT_FALSE(RenderPenReport(pen, At(10, 10, 1000), TabletExtent{0, 5000}, surface));
    EXPECT_FALSE(RenderPenReport(pen, At(10, 10, 0), TabletExtent{5000, 0}, surface));
    EXPECT_EQ(pen, (PenState{true, {10, 10}}));
    EXPECT_EQ(CountBlack(surface), 0);
}

TEST(RenderPenReport, SegmentAtTheFarEdgeIsClippedToTheArea) {
    // x == maxX scales to W, one column past the area: only the part of a wide segment that
    // reaches into the area shows.
    SignatureSurface surface(1200, 100);
    PenState pen;
    RenderPenReport(pen, At(10000, 5000, 1000), kExtent, surface);
    RenderPenReport(pen, At(10000, 6000, 1000), kExtent, surface);
    EXPECT_EQ(surface.PixelAt(1199, 55), kBlack);
    EXPECT_EQ(surface.PixelAt(1195, 55), kWhite);
}

TEST(RenderPenReport, PointsFarOutsideTheAreaAreHarmless) {
    SignatureSurface surface(100, 100);
    PenState pen{true, {-2000000000, 1500000000}};
    const auto drawn = RenderPenReport(pen, At(5000, 5000, 65535), TabletExtent{1, 1}, surface);
    ASSERT_TRUE(drawn.has_value());
    EXPECT_LE(drawn->left, drawn->right);
    PenState thin{true, {-2000000000, -2000000000}};
    RenderPenReport(thin, At(0, 0, 0), kExtent, surface);  // a one-pixel line from far away
    EXPECT_EQ(surface.PixelAt(0, 0), kBlack);
}

TEST(RenderPenReport, ResizeInsideAStrokeJoinsOldAndNewScale) {
    SignatureSurface surface(100, 100);
    PenState pen;
    RenderPenReport(pen, At(5000, 5000, 100), kExtent, surface);  // (50, 50) at the old size
    surface.Resize(200, 100);
    RenderPenReport(pen, At(5000, 5000, 100), kExtent, surface);  // (100, 50) at the new size
    EXPECT_EQ(pen.lastPoint, (Point{100, 50}));
    for (int x = 50; x <= 100; ++x) {
        EXPECT_EQ(surface.PixelAt(x, 50), kBlack) << x;
    }
}

TEST(SignatureSurface, ResizeKeepsTheInkThatStillFitsAndAddsWhite) {
    SignatureSurface surface(10, 10);
    surface.SetBlack(2, 3);
    surface.SetBlack(9, 9);
    surface.Resize(20, 5);
    EXPECT_EQ(surface.PixelAt(2, 3), kBlack);
    EXPECT_EQ(surface.PixelAt(15, 4), kWhite);
    surface.Resize(-5, 3);
    EXPECT_EQ(surface.width(), 0);
    surface.Resize(4, 4);
    EXPECT_EQ(CountBlack(surface), 0);
    surface.SetBlack(1, 1);
    surface.FillWhite();
    EXPECT_EQ(CountBlack(surface), 0);
}

}  // namespace
}  // namespace ondrel
