#include "image/pixel_image.hpp"

#include <gtest/gtest.h>

namespace vantrix {
namespace {

TEST(PixelImage, PitchRoundsUpToTheAlignment) {
  EXPECT_EQ(PixelImage::pitchFor(48, 1, 16), 48u);
  EXPECT_EQ(PixelImage::pitchFor(9, 4, 32), 64u);
  EXPECT_EQ(PixelImage::pitchFor(1, 1, 16), 16u);
}

TEST(PixelImage, RefusesShapesThatCannotHoldTheirPixels) {
  EXPECT_FALSE(PixelImage::make(PixelLayout::full, 1, 0, 5, 16));
  EXPECT_FALSE(PixelImage::make(PixelLayout::full, 3, 5, 5, 16));
  EXPECT_FALSE(PixelImage::make(PixelLayout::compact, 4, 5, 5, 19));
  auto image = PixelImage::make(PixelLayout::compact, 4, 5, 2, 20);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bytes().size(), 40u);
  EXPECT_EQ(image->row(1) - image->row(0), 20);
}

}  // namespace
}  // namespace vantrix
