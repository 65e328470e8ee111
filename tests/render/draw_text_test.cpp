#include "render/draw_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "render/font.h"

namespace nephrax {
namespace {

constexpr Colour kPaper{10, 20, 30};
constexpr Colour kInk{0, 0, 0};
constexpr Colour kBox{200, 200, 200};

class DrawTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = CreateFont({"Verdana", -12, 0, TextEncoding::kAnsi});
    ASSERT_TRUE(font_);
    surface_ = CreateSurface(60, 40);
    FillRect(*surface_, {0, 0, 60, 40}, kPaper);
    SurfaceState& state = surface_->state();
    state.font = &*font_;
    state.text_colour = kInk;
    state.background_colour = kBox;
  }

  int32_t LineHeight() const {
    return font_->metrics().tmHeight + font_->metrics().tmExternalLeading;
  }

  // Whether (x, y) lies in the cell of `text` drawn at (left, top).
  bool InCell(int32_t x, int32_t y, int32_t left, int32_t top, const std::string& text) const {
    return x >= left && x < left + TextExtent(*font_, text) && y >= top && y < top + LineHeight();
  }

  std::optional<Font> font_;
  std::optional<Surface> surface_;
};

// A colour between the box and the ink has equal channels; the paper does not.
bool IsBoxOrInk(Colour colour) {
  return colour.red == colour.green && colour.green == colour.blue;
}

TEST_F(DrawTextTest, OpaqueModeFillsTheWholeCellFirst) {
  surface_->state().background_mode = BackgroundMode::kOpaque;
  DrawText(*surface_, 5, 7, "0000");
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) {
      const Colour colour = *surface_->GetPixel(x, y);
      if (InCell(x, y, 5, 7, "0000")) {
        EXPECT_TRUE(IsBoxOrInk(colour)) << x << "," << y;
      } else {
        EXPECT_EQ(colour, kPaper) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(surface_->GetPixel(5, 7), kBox);
}

TEST_F(DrawTextTest, TransparentModeOnlyBlendsTheGlyphsIn) {
  surface_->state().background_mode = BackgroundMode::kTransparent;
  DrawText(*surface_, 5, 7, "0000");
  int untouched = 0;
  int full_ink = 0;
  int partial = 0;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) {
      const Colour colour = *surface_->GetPixel(x, y);
      if (!InCell(x, y, 5, 7, "0000")) {
        EXPECT_EQ(colour, kPaper) << x << "," << y;
        continue;
      }
      untouched += colour == kPaper;
      full_ink += colour == kInk;
      // Antialiased edges lie strictly between the paper and the ink.
      partial += colour.blue > kInk.blue && colour.blue < kPaper.blue;
    }
  }
  EXPECT_GT(untouched, 0);
  EXPECT_GT(full_ink, 0);
  EXPECT_GT(partial, 0);
}

TEST_F(DrawTextTest, BlendsEachPixelByItsCoverage) {
  surface_->state().background_mode = BackgroundMode::kTransparent;
  surface_->state().text_colour = Colour{250, 130, 0};
  DrawText(*surface_, 20, 10, "g");
  const GlyphImage glyph = font_->RenderGlyph(U'g');
  const int32_t left = 20 + glyph.left;
  const int32_t top = 10 + font_->metrics().tmAscent - glyph.top;
  for (int32_t row = 0; row < glyph.rows; ++row) {
    for (int32_t column = 0; column < glyph.width; ++column) {
      const int coverage = glyph.coverage[static_cast<size_t>(row * glyph.width + column)];
      const Colour colour = *surface_->GetPixel(left + column, top + row);
      EXPECT_NEAR(colour.red, 10 + 240 * coverage / 255.0, 0.51) << column << "," << row;
      EXPECT_NEAR(colour.green, 20 + 110 * coverage / 255.0, 0.51) << column << "," << row;
      EXPECT_NEAR(colour.blue, 30 - 30 * coverage / 255.0, 0.51) << column << "," << row;
    }
  }
}

struct EdgeCase {
  std::string name;
  int32_t x;
  int32_t y;
};

void PrintTo(const EdgeCase& c, std::ostream* out) {
  *out << c.name;
}

class DrawTextEdgeTest : public DrawTextTest, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(DrawTextEdgeTest, DrawsThePartOnTheSurface) {
  surface_->state().background_mode = BackgroundMode::kOpaque;
  DrawText(*surface_, GetParam().x, GetParam().y, "W0W0W0W0W0");
  int box = 0;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) box += IsBoxOrInk(*surface_->GetPixel(x, y));
  }
  EXPECT_GT(box, 0);
}

INSTANTIATE_TEST_SUITE_P(Positions, DrawTextEdgeTest,
                         ::testing::Values(EdgeCase{"AboveLeft", -30, -8},
                                           EdgeCase{"BelowRight", 55, 35},
                                           EdgeCase{"WiderThanTheSurface", -20, 10}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DrawTextTest, TextFarOffTheSurfaceLeavesItAlone) {
  DrawText(*surface_, 2000000000, 5, "0000");
  DrawText(*surface_, -2000000000, 5, "0000");
  DrawText(*surface_, 5, -2000000000, "0000");
  DrawText(*surface_, 5, 2000000000, "0000");
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) EXPECT_EQ(surface_->GetPixel(x, y), kPaper);
  }
}

TEST_F(DrawTextTest, AHugeFontIsClippedToTheSurface) {
  const std::optional<Font> huge = CreateFont({"Verdana", -1000000, 0, TextEncoding::kAnsi});
  ASSERT_TRUE(huge);
  surface_->state().font = &*huge;
  surface_->state().background_mode = BackgroundMode::kOpaque;
  DrawText(*surface_, -100, -100, "WW");
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) EXPECT_TRUE(IsBoxOrInk(*surface_->GetPixel(x, y)));
  }
}

TEST_F(DrawTextTest, WithoutAFontNothingIsDrawn) {
  surface_->state().font = nullptr;
  DrawText(*surface_, 5, 7, "0000");
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) EXPECT_EQ(surface_->GetPixel(x, y), kPaper);
  }
}

}  // namespace
}  // namespace nephrax
