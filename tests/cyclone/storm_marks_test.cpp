#include "cyclone/storm_marks.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>

#include "cyclone/draw_cyclones.h"
#include "cyclone_scene.h"
#include "render/font.h"

namespace nephrax {
namespace {

constexpr Colour kPaper{10, 20, 30};
constexpr Colour kInk{192, 0, 0};
constexpr Colour kWhite{255, 255, 255};
constexpr int32_t kSize = 80;

using PixelSet = std::set<std::pair<int32_t, int32_t>>;

class StormMarkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface_ = CreateSurface(kSize, kSize);
    ASSERT_TRUE(surface_);
    FillRect(*surface_, {0, 0, kSize, kSize}, kPaper);
  }

  // Selects the label font of `HstSiz` as the overlay does before its first storm.
  void SelectLabels() {
    font_ = CreateStormFont(settings_, Language::kEnglish, settings_.HstSiz);
    ASSERT_TRUE(font_);
    SelectStormLabels(*surface_, settings_, &*font_);
  }

  void Draw(PixelPoint centre, std::string label, float intensity) {
    DrawStorm(*surface_, settings_, StormMark{centre, kInk, std::move(label), intensity});
  }

  PixelSet PixelsOf(Colour colour) const {
    PixelSet pixels;
    for (int32_t y = 0; y < kSize; ++y) {
      for (int32_t x = 0; x < kSize; ++x) {
        if (surface_->GetPixel(x, y) == colour) pixels.insert({x, y});
      }
    }
    return pixels;
  }

  bool IsPaper(int32_t x, int32_t y) const { return surface_->GetPixel(x, y) == kPaper; }

  int32_t Extent(const std::string& text) const { return TextExtent(*font_, text); }
  int32_t LineHeight() const {
    return font_->metrics().tmHeight + font_->metrics().tmExternalLeading;
  }

  // Whether the rectangle [left, left + width) x [top, top + height) is white and the pixels
  // just beside it left and right are not.
  bool IsWhiteBox(int32_t left, int32_t top, int32_t width, int32_t height) const {
    for (const int32_t y : {top, top + height - 1}) {
      if (surface_->GetPixel(left, y) != kWhite ||
          surface_->GetPixel(left + width - 1, y) != kWhite || !IsPaper(left - 1, y) ||
          !IsPaper(left + width, y)) {
        return false;
      }
    }
    return IsPaper(left, top - 1) && IsPaper(left, top + height);
  }

  std::optional<Surface> surface_;
  std::optional<Font> font_;
  Settings settings_;
};

// The pixels of the two diagonals of the square of half-size s round (x, y).
PixelSet Diagonals(int32_t x, int32_t y, int32_t s) {
  PixelSet pixels;
  for (int32_t k = -s; k <= s; ++k) {
    pixels.insert({x + k, y + k});
    pixels.insert({x + k, y - k});
  }
  return pixels;
}

struct ThinCrossCase {
  int32_t hst_siz;
  int32_t half_size;
};

void PrintTo(const ThinCrossCase& cross, std::ostream* out) {
  *out << "HstSiz " << cross.hst_siz;
}

class ThinCrossTest : public StormMarkTest, public ::testing::WithParamInterface<ThinCrossCase> {};

TEST_P(ThinCrossTest, CoversTheDiagonalsOfTheSquare) {
  settings_.HstSiz = GetParam().hst_siz;
  Draw({40, 40}, "", -1.0F);
  EXPECT_EQ(PixelsOf(kInk), Diagonals(40, 40, GetParam().half_size));
}

// Below 12 the pen is one pixel wide; at 2 the cross shrinks to the centre pixel.
INSTANTIATE_TEST_SUITE_P(Sizes, ThinCrossTest,
                         ::testing::Values(ThinCrossCase{2, 0}, ThinCrossCase{5, 1},
                                           ThinCrossCase{11, 3}),
                         [](const auto& info) { return std::to_string(info.param.hst_siz); });

TEST_F(StormMarkTest, TheDefaultCrossIsTwoPixelsWide) {
  Draw({40, 40}, "", -1.0F);
  const PixelSet ink = PixelsOf(kInk);
  for (const auto& pixel : Diagonals(40, 40, 4)) EXPECT_TRUE(ink.contains(pixel));
  // A stroke of even width lies half a pixel up and left of the centre line.
  for (const auto& [x, y] : ink) {
    EXPECT_TRUE(x >= 35 && x <= 45 && y >= 35 && y <= 45) << x << "," << y;
  }
  // An X, not a box: the middles of the square's sides stay clear.
  for (const auto& [x, y] : PixelSet{{40, 36}, {36, 40}, {44, 40}, {40, 44}}) {
    EXPECT_FALSE(ink.contains({x, y})) << x << "," << y;
  }
  int32_t in_row = 0;
  for (int32_t x = 0; x < kSize; ++x) in_row += ink.contains({x, 37}) ? 1 : 0;
  EXPECT_GT(in_row, 2);
}

TEST_F(StormMarkTest, LabelAboveAndIntensityBelowOnWhiteBoxes) {
  SelectLabels();
  Draw({40, 40}, "T14", 5.0F);
  EXPECT_TRUE(IsWhiteBox(40 - Extent("T14") / 2, 40 - 24, Extent("T14"), LineHeight()));
  EXPECT_TRUE(IsWhiteBox(40 - Extent("5.0") / 2, 40 + 12, Extent("5.0"), LineHeight()));
}

TEST_F(StormMarkTest, AnIntensityOfZeroIsDrawnAndANegativeOneIsNot) {
  SelectLabels();
  Draw({20, 30}, "", 0.0F);
  Draw({60, 30}, "", -1.0F);
  EXPECT_TRUE(IsWhiteBox(20 - Extent("0.0") / 2, 30 + 12, Extent("0.0"), LineHeight()));
  for (int32_t y = 30 + 12; y < kSize; ++y) {
    for (int32_t x = 41; x < kSize; ++x) EXPECT_TRUE(IsPaper(x, y)) << x << "," << y;
  }
}

TEST_F(StormMarkTest, WithoutItsNumNoIntensityIsDrawn) {
  settings_.ItsNum = false;
  SelectLabels();
  Draw({40, 20}, "", 5.0F);
  for (int32_t y = 20 + 6; y < kSize; ++y) {
    for (int32_t x = 0; x < kSize; ++x) EXPECT_TRUE(IsPaper(x, y)) << x << "," << y;
  }
}

TEST_F(StormMarkTest, WithoutNumBakTheLabelHasNoBox) {
  settings_.NumBak = false;
  SelectLabels();
  Draw({40, 40}, "T14", 5.0F);
  EXPECT_TRUE(PixelsOf(kWhite).empty());
  bool label_ink = false;
  for (int32_t y = 16; y < 16 + LineHeight(); ++y) {
    for (int32_t x = 0; x < kSize; ++x) label_ink = label_ink || !IsPaper(x, y);
  }
  EXPECT_TRUE(label_ink);
}

TEST_F(StormMarkTest, AStormOnTheLeftEdgeIsCutOff) {
  SelectLabels();
  Draw({0, 40}, "T1407", -1.0F);
  const PixelSet ink = PixelsOf(kInk);
  EXPECT_TRUE(ink.contains({4, 44}));
  EXPECT_TRUE(ink.contains({4, 36}));
  EXPECT_TRUE(ink.contains({0, 40}));
  // The label's box keeps only what lies right of the edge.
  const int32_t shown = Extent("T1407") - Extent("T1407") / 2;
  EXPECT_EQ(surface_->GetPixel(0, 16), kWhite);
  EXPECT_EQ(surface_->GetPixel(shown - 1, 16), kWhite);
  EXPECT_TRUE(IsPaper(shown, 16));
}

TEST_F(StormMarkTest, DrawingAStormLeavesTheStateAsItWas) {
  SelectLabels();
  const SurfaceState before = surface_->state();
  Draw({40, 40}, "T14", 5.0F);
  EXPECT_EQ(surface_->state(), before);
}

class NoticeTest : public StormMarkTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NoticeTest, IsCentredOnThePicture) {
  settings_.NtcBak = GetParam();
  font_ = CreateStormFont(settings_, Language::kEnglish, settings_.NtcSiz);
  ASSERT_TRUE(font_);
  const SurfaceState before = surface_->state();
  DrawNotice(*surface_, settings_, Language::kEnglish);
  EXPECT_EQ(surface_->state(), before);
  const int32_t width = Extent(settings_.NtcStr);
  const int32_t left = (kSize - width) / 2;
  const int32_t top = (kSize - settings_.NtcSiz) / 2;
  if (GetParam()) {
    // The blanks round " No TC " widen the box beyond the letters.
    EXPECT_GT(width, Extent("No TC"));
    EXPECT_TRUE(IsWhiteBox(left, top, width, LineHeight()));
  } else {
    EXPECT_TRUE(PixelsOf(kWhite).empty());
    int32_t ink = 0;
    for (int32_t y = 0; y < kSize; ++y) {
      for (int32_t x = 0; x < kSize; ++x) {
        if (IsPaper(x, y)) continue;
        ++ink;
        EXPECT_TRUE(x >= left && x < left + width && y >= top && y < top + LineHeight());
      }
    }
    EXPECT_GT(ink, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, NoticeTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Opaque" : "Transparent"; });

class OverlayTest : public StormMarkTest {
 protected:
  bool DrawOverlay(const std::vector<testing::TrackFileEntry>& files) {
    const std::string history = dir_.File("hst");
    testing::WriteTrackFiles(history, files);
    return DrawCyclones(*surface_, {settings_, Language::kEnglish, control_, zoom_}, history,
                        std::nullopt);
  }

  testing::TempDir dir_;
  ControlBlock control_ = testing::ObservedAt(testing::kSampleTime);
  ZoomState zoom_;
};

TEST_F(OverlayTest, WithoutAStormTheNoticeIsDrawn) {
  settings_.NtcBak = true;
  const SurfaceState before = surface_->state();
  EXPECT_FALSE(DrawOverlay({}));
  EXPECT_EQ(surface_->state(), before);
  EXPECT_EQ(surface_->GetPixel(kSize / 2, (kSize - settings_.NtcSiz) / 2), kWhite);
}

TEST_F(OverlayTest, AStormIsDrawnAtItsPlaceInsteadOfTheNotice) {
  settings_.NtcBak = true;
  settings_.TypCol = kInk;
  testing::TrackFileSpec spec;
  spec.records = {{}};
  spec.records[0].lat = "30.0";   // halfway down 50N..10N
  spec.records[0].lon = "135.0";  // halfway across 110E..160E
  const SurfaceState before = surface_->state();
  EXPECT_TRUE(DrawOverlay({{"TC1407.HST", spec}}));
  EXPECT_EQ(surface_->state(), before);
  // 30N 135E lies at (40, 40) of the 80 x 80 picture of 50N..10N, 110E..160E.
  EXPECT_EQ(surface_->GetPixel(40, 40), kInk);
  EXPECT_NE(surface_->GetPixel(kSize / 2, (kSize - settings_.NtcSiz) / 2), kWhite);
}

}  // namespace
}  // namespace nephrax
