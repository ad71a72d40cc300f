#include "imaging/bmp_layout.h"

#include <gtest/gtest.h>

namespace ondrel {
namespace {

TEST(ChooseBmpDepth, FollowsTheDisplayDepth) {
    const std::pair<int, int> cases[] = {{-3, 1}, {0, 1},  {1, 1},   {2, 4},   {4, 4},  {5, 8},
                                         {8, 8},  {9, 24}, {16, 24}, {24, 24}, {32, 24}};
    for (const auto& [display, written] : cases) {
        EXPECT_EQ(ChooseBmpDepth(display), written) << "display depth " << display;
    }
}

TEST(BmpLayout, RowsArePaddedToFourBytes) {
    EXPECT_EQ(BmpStride(1, 10), 4u);
    EXPECT_EQ(BmpStride(4, 10), 8u);
    EXPECT_EQ(BmpStride(8, 10), 12u);
    EXPECT_EQ(BmpStride(24, 10), 32u);
    EXPECT_EQ(BmpStride(24, 1785), 5356u);
}

TEST(BmpLayout, SizesAndOffsets) {
    const BmpLayout small = ComputeBmpLayout(3, 2, 24);
    EXPECT_EQ(small.stride, 12u);
    EXPECT_EQ(small.pixelBytes, 24u);
    EXPECT_EQ(small.pixelOffset, 54u);
    EXPECT_EQ(small.fileSize, 78u);
    EXPECT_EQ(ComputeBmpLayout(1, 1, 24).fileSize, 58u);
    EXPECT_EQ(ComputeBmpLayout(1785, 1020, 24).fileSize, 5463174u);

    const BmpLayout indexed = ComputeBmpLayout(10, 3, 8);
    EXPECT_EQ(indexed.colorTableBytes, 1024u);
    EXPECT_EQ(indexed.pixelOffset, 1078u);
    EXPECT_EQ(indexed.fileSize, 1078u + 36u);
    EXPECT_EQ(ComputeBmpLayout(10, 3, 1).pixelOffset, 62u);
    EXPECT_EQ(ComputeBmpLayout(10, 3, 4).pixelOffset, 118u);
}

TEST(BmpLayout, HeadersHoldTheLittleEndianFields) {
    const auto h = MakeBmpHeaders(ComputeBmpLayout(3, 2, 24));
    const std::array<std::uint8_t, 54> expected = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40,  0,   0,  0, 3, 0, 0, 0, 2, 0, 0,  0,        // size, width, height
        1,   0,   24, 0,                                 // planes, bit count
        0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(h, expected);
}

}  // namespace
}  // namespace ondrel
