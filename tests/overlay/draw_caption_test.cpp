#include "overlay/draw_caption.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "render/draw_text.h"
#include "render/grid_block.h"

namespace nephrax {
namespace {

constexpr Colour kGrey{128, 128, 128};
constexpr int32_t kWidth = 400;
constexpr int32_t kHeight = 300;
constexpr PixelRect kArea{0, 0, kWidth, kHeight};

// A scan from 02:51:30 to 03:01:45 UTC on 15 July 2024 of band B13.
ControlBlock CaptionControl() {
  testing::SourceFileSpec spec;
  spec.satellite = "SATNAME";
  spec.channel = "GEO-B13";
  spec.start = TimeRecord{20, 24, 7, 15, 2, 51, 30};
  spec.end = TimeRecord{20, 24, 7, 15, 3, 1, 45};
  ControlBlock control = testing::ControlBlockOf(spec);
  control.channel_index = 0;
  return control;
}

Surface GreyPicture() {
  std::optional<Surface> surface = CreateSurface(kWidth, kHeight);
  EXPECT_TRUE(surface);
  FillRect(*surface, kArea, kGrey);
  return std::move(*surface);
}

Surface CaptionPicture(const Settings& settings, Language language = Language::kJapanese,
                       const LocalZone& zone = {}) {
  Surface picture = GreyPicture();
  EXPECT_TRUE(DrawCaption(picture, kArea, CaptionControl(), settings, language, zone));
  return picture;
}

// The smallest rectangle holding every pixel that is no longer grey.
PixelRect DrawnBounds(const Surface& surface) {
  int32_t left = surface.width(), top = surface.height(), right = -1, bottom = -1;
  for (int32_t y = 0; y < surface.height(); ++y) {
    for (int32_t x = 0; x < surface.width(); ++x) {
      if (surface.GetPixel(x, y) == kGrey) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  return right < 0 ? PixelRect{} : PixelRect{left, top, right - left + 1, bottom - top + 1};
}

bool SamePixels(const Surface& a, const Surface& b) {
  for (int32_t y = 0; y < a.height(); ++y) {
    for (int32_t x = 0; x < a.width(); ++x) {
      if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    }
  }
  return true;
}

Settings With(void (*change)(Settings&)) {
  Settings settings;
  change(settings);
  return settings;
}

struct TextCase {
  const char* name;
  Settings settings;
  Language language;
  LocalZone zone;
  const char* caption;  // with its blanks
  Colour background;
};

class CaptionTextTest : public ::testing::TestWithParam<TextCase> {};

// The caption looks exactly like its text written in the caption font at the top-left corner, in
// DtmCol on an opaque box.
TEST_P(CaptionTextTest, WritesTheCaptionInTheCaptionFontOnItsBox) {
  const TextCase& c = GetParam();
  const Surface drawn = CaptionPicture(c.settings, c.language, c.zone);

  Surface expected = GreyPicture();
  const std::optional<Font> font = CreateCaptionFont(c.settings, c.language);
  ASSERT_TRUE(font);
  SurfaceState& state = expected.state();
  state.font = &*font;
  state.text_colour = c.settings.DtmCol;
  state.background_colour = c.background;
  state.background_mode = BackgroundMode::kOpaque;
  DrawText(expected, 0, 0, c.caption);
  state.font = nullptr;
  EXPECT_TRUE(SamePixels(drawn, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Captions, CaptionTextTest,
    ::testing::Values(TextCase{"Japanese", Settings{}, Language::kJapanese, LocalZone{},
                               " SATNAME B13 2024-07-15 03:00UTC ", Colour{0, 0, 0}},
                      TextCase{"English", Settings{}, Language::kEnglish, LocalZone{},
                               " SATNAME B13 15/07/2024 03:00UTC ", Colour{0, 0, 0}},
                      TextCase{"TimeFirst", With([](Settings& s) { s.DtmSat = false; }),
                               Language::kEnglish, LocalZone{}, " 15/07/2024 03:00UTC GEO-B13 ",
                               Colour{0, 0, 0}},
                      // The zone of "TZ": 5 hours west, named EST.
                      TextCase{"LocalZone", With([](Settings& s) { s.Jst = true; }),
                               Language::kJapanese, LocalZone{18000, "EST"},
                               " SATNAME B13 2024-07-14 22:00EST ", Colour{0, 0, 0}},
                      TextCase{"DarkColourOnWhite", With([](Settings& s) {
                                 s.DtmCol = Colour{0, 0, 192};
                                 s.DtmSiz = 20;
                               }),
                               Language::kEnglish, LocalZone{}, " SATNAME B13 15/07/2024 03:00UTC ",
                               Colour{255, 255, 255}}),
    [](const auto& info) { return std::string(info.param.name); });

class CaptionCornerTest : public ::testing::TestWithParam<int32_t> {};

// The box of the top-left caption, moved into the corner Dtm names, touching both its edges.
TEST_P(CaptionCornerTest, BoxSitsInTheCornerOfDtm) {
  const PixelRect top_left = DrawnBounds(CaptionPicture(Settings{}));
  ASSERT_EQ(top_left.x, 0);
  ASSERT_EQ(top_left.y, 0);
  Settings settings;
  settings.Dtm = GetParam();
  const bool right = GetParam() % 2 == 1;
  const bool bottom = GetParam() >= 2;
  const PixelRect box = DrawnBounds(CaptionPicture(settings));
  EXPECT_EQ(box.x, right ? kWidth - top_left.width : 0);
  EXPECT_EQ(box.y, bottom ? kHeight - top_left.height : 0);
  EXPECT_EQ(box.width, top_left.width);
  EXPECT_EQ(box.height, top_left.height);
}

INSTANTIATE_TEST_SUITE_P(Corners, CaptionCornerTest, ::testing::Values(0, 1, 2, 3));

TEST(CaptionCornerTest, BoxIsOneLineOfTheCaptionFontTall) {
  Settings settings;
  settings.DtmSiz = 40;
  const std::optional<Font> font = CreateCaptionFont(settings, Language::kJapanese);
  ASSERT_TRUE(font);
  const TextMetrics& metrics = font->metrics();
  // 40 pixels is the character height: the cell adds the room above and below it.
  EXPECT_GT(metrics.tmHeight, 40);
  EXPECT_LT(metrics.tmHeight, 60);
  EXPECT_EQ(DrawnBounds(CaptionPicture(settings)).height,
            metrics.tmHeight + metrics.tmExternalLeading);
}

struct BackgroundCase {
  const char* name;
  Colour DtmCol;
  Colour background;
};

class CaptionBackgroundTest : public ::testing::TestWithParam<BackgroundCase> {};

// Dark captions (red + green + blue below 255) stand on white, the others on black.
TEST_P(CaptionBackgroundTest, BoxColourFollowsTheTextColour) {
  Settings settings;
  settings.DtmCol = GetParam().DtmCol;
  settings.Dtm = 3;
  const Surface picture = CaptionPicture(settings);
  // The leading blank's column at the box's top row and the trailing blank's at its bottom row.
  const PixelRect box = DrawnBounds(picture);
  EXPECT_EQ(picture.GetPixel(box.x, box.y), GetParam().background);
  EXPECT_EQ(picture.GetPixel(kWidth - 1, kHeight - 1), GetParam().background);
}

INSTANTIATE_TEST_SUITE_P(Colours, CaptionBackgroundTest,
                         ::testing::Values(BackgroundCase{"Yellow", {192, 192, 0}, {0, 0, 0}},
                                           BackgroundCase{"Blue", {0, 0, 192}, {255, 255, 255}},
                                           BackgroundCase{
                                               "SumOf254", {84, 85, 85}, {255, 255, 255}},
                                           BackgroundCase{"SumOf255", {85, 85, 85}, {0, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

class CaptionOffTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(CaptionOffTest, DtmOutsideTheCornersDrawsNothing) {
  Settings settings;
  settings.Dtm = GetParam();
  Surface picture = GreyPicture();
  EXPECT_FALSE(DrawCaption(picture, kArea, CaptionControl(), settings, Language::kJapanese, {}));
  EXPECT_EQ(DrawnBounds(picture).width, 0);
}

INSTANTIATE_TEST_SUITE_P(Numbers, CaptionOffTest, ::testing::Values(-1, 4, 1000));

TEST(DrawCaptionTest, LeavesTheSurfaceStateAsItWas) {
  Surface picture = GreyPicture();
  const SurfaceState before{Pen{LineStyle::kDash, 3, {1, 2, 3}},
                            nullptr,
                            {4, 5, 6},
                            {7, 8, 9},
                            BackgroundMode::kTransparent};
  picture.state() = before;
  EXPECT_TRUE(DrawCaption(picture, kArea, CaptionControl(), Settings{}, Language::kEnglish, {}));
  EXPECT_EQ(picture.state(), before);
}

}  // namespace
}  // namespace nephrax
