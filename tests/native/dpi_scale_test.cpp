// Lengths of the 96-dot layouts on screens of other resolutions.
#include <gtest/gtest.h>

#include "app/dpi_scale.h"

namespace {

TEST(DpiScale, LengthsFollowTheResolutionRoundedToTheNearestPixel) {
  struct Case {
    int design;
    int dpi;
    int expected;
  };
  const Case cases[] = {
      {498, 96, 498}, {472, 96, 472}, {0, 144, 0},     {498, 144, 747},   {103, 144, 155},  // 154.5 rounds up
      {25, 120, 31},  {1, 144, 2},    {-15, 144, -23}, {-16, 120, -20},   {53, 192, 106},
      {33, 72, 25},   {465, 0, 465},  {465, -96, 465}, {1050, 288, 3150},
  };
  for (const Case& c : cases)
    EXPECT_EQ(app::ScaleForDpi(c.design, c.dpi), c.expected) << c.design << " at " << c.dpi;
  // The product is formed without overflow.
  EXPECT_EQ(app::ScaleForDpi(1000000000, 192), 2000000000);
}

TEST(DpiScale, ARectangleScalesEachValueAlone) {
  const app::DesignRect r = app::ScaleForDpi(app::DesignRect{23, 291, 352, 53}, 144);
  EXPECT_EQ(r.left, 35);  // 34.5
  EXPECT_EQ(r.top, 437);  // 436.5
  EXPECT_EQ(r.width, 528);
  EXPECT_EQ(r.height, 80);  // 79.5
}

}  // namespace
