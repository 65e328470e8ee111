#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "render/font.h"
#include "render/surface.h"

namespace nephrax {
namespace {

SurfaceState ChangedState(const Font* font) {
  return {Pen{LineStyle::kDashDot, 4, Colour{1, 2, 3}}, font, Colour{4, 5, 6}, Colour{7, 8, 9},
          BackgroundMode::kTransparent};
}

TEST(SurfaceStateSaverTest, PutsBackEveryPartOfTheState) {
  std::optional<Surface> surface = CreateSurface(4, 4);
  const SurfaceState before = surface->state();
  const std::optional<Font> font = CreateFont({"Verdana", -12, 0, TextEncoding::kAnsi});
  {
    SurfaceStateSaver saver(*surface);
    surface->state() = ChangedState(font ? &*font : nullptr);
    ASSERT_NE(surface->state(), before);
  }
  EXPECT_EQ(surface->state(), before);
}

TEST(SurfaceStateSaverTest, NestedSaversRestoreTheirOwnScopes) {
  std::optional<Surface> surface = CreateSurface(4, 4);
  const SurfaceState outer = surface->state();
  {
    SurfaceStateSaver outer_saver(*surface);
    surface->state().pen.colour = Colour{9, 9, 9};
    const SurfaceState middle = surface->state();
    {
      SurfaceStateSaver inner_saver(*surface);
      surface->state().background_mode = BackgroundMode::kTransparent;
      surface->state().pen.width = 7;
    }
    EXPECT_EQ(surface->state(), middle);
  }
  EXPECT_EQ(surface->state(), outer);
}

struct FillCase {
  PixelRect rect;
  int expected_pixels;  // on a 10 x 6 surface
};

class FillRectTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillRectTest, PaintsOnlyThePartOnTheSurface) {
  std::optional<Surface> surface = CreateSurface(10, 6);
  const Colour paint{10, 200, 30};
  FillRect(*surface, GetParam().rect, paint);
  int painted = 0;
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 10; ++x) {
      const bool inside = x >= GetParam().rect.x && x < GetParam().rect.x + GetParam().rect.width &&
                          y >= GetParam().rect.y && y < GetParam().rect.y + GetParam().rect.height;
      EXPECT_EQ(surface->GetPixel(x, y) == paint, inside) << x << "," << y;
      painted += inside;
    }
  }
  EXPECT_EQ(painted, GetParam().expected_pixels);
}

INSTANTIATE_TEST_SUITE_P(Rects, FillRectTest,
                         ::testing::Values(FillCase{{2, 1, 3, 2}, 6}, FillCase{{-3, -2, 5, 4}, 4},
                                           FillCase{{8, 4, 10, 10}, 4},
                                           FillCase{{-1000, 2, 2000, 1}, 10},
                                           FillCase{{3, 3, 0, 2}, 0}, FillCase{{3, 3, -4, 2}, 0},
                                           FillCase{{10, 0, 5, 6}, 0}));

}  // namespace
}  // namespace nephrax
