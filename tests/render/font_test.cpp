#include "render/font.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "core/settings.h"
#include "render/label_fonts.h"

namespace nephrax {
namespace {

// The Japanese gothic face name as the settings hold it, in Shift-JIS.
const std::string kJapaneseFace = Settings{}.Font[0];

struct FontCase {
  std::string name;
  FontRequest request;
};

void PrintTo(const FontCase& c, std::ostream* out) {
  *out << c.name;
}

std::vector<FontCase> Requests() {
  return {{"Verdana", {"Verdana", -12, 0, TextEncoding::kAnsi}},
          {"ArialNarrow", {"Arial Narrow", -8, 0, TextEncoding::kAnsi}},
          {"JapaneseGothic", {kJapaneseFace, -12, 0, TextEncoding::kShiftJis}},
          {"BoldCaption", {"Verdana", -20, kBoldWeight, TextEncoding::kAnsi}},
          {"BoldJapanese", {kJapaneseFace, -16, kBoldWeight, TextEncoding::kShiftJis}},
          {"FaceNobodyHas", {"No Such Face Anywhere", -12, 0, TextEncoding::kAnsi}}};
}

class FontMetricsTest : public ::testing::TestWithParam<FontCase> {};

TEST_P(FontMetricsTest, CellHoldsTheEm) {
  const std::optional<Font> font = CreateFont(GetParam().request);
  ASSERT_TRUE(font);
  const TextMetrics& metrics = font->metrics();
  const int32_t em = -GetParam().request.height;
  EXPECT_GT(metrics.tmAscent, 0);
  EXPECT_GE(metrics.tmDescent, 0);
  EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);
  EXPECT_GE(metrics.tmHeight, em);
  EXPECT_LE(metrics.tmHeight, 2 * em);
  EXPECT_GE(metrics.tmExternalLeading, 0);
}

TEST_P(FontMetricsTest, ExtentGrowsWithTheText) {
  const std::optional<Font> font = CreateFont(GetParam().request);
  ASSERT_TRUE(font);
  EXPECT_EQ(TextExtent(*font, ""), 0);
  const int32_t one = TextExtent(*font, "0");
  EXPECT_GT(one, 0);
  EXPECT_EQ(TextExtent(*font, "0000"), 4 * one);
  EXPECT_GT(TextExtent(*font, "0000 N"), TextExtent(*font, "0000"));
}

TEST_P(FontMetricsTest, GlyphCoverageFillsItsImage) {
  const std::optional<Font> font = CreateFont(GetParam().request);
  ASSERT_TRUE(font);
  const GlyphImage glyph = font->RenderGlyph(U'A');
  EXPECT_GT(glyph.width, 0);
  EXPECT_GT(glyph.rows, 0);
  ASSERT_EQ(glyph.coverage.size(), static_cast<size_t>(glyph.width * glyph.rows));
  EXPECT_EQ(glyph.advance, font->Advance(U'A'));
  // The glyph stands on the baseline within the cell.
  EXPECT_LE(glyph.top, font->metrics().tmAscent);
  EXPECT_GE(glyph.top - glyph.rows, -font->metrics().tmDescent);
}

INSTANTIATE_TEST_SUITE_P(Requests, FontMetricsTest, ::testing::ValuesIn(Requests()),
                         [](const auto& info) { return info.param.name; });

TEST(CreateFontTest, AJapaneseFontCoversJapanese) {
  const std::optional<Font> font = CreateFont({kJapaneseFace, -12, 0, TextEncoding::kShiftJis});
  ASSERT_TRUE(font);
  EXPECT_TRUE(font->HasGlyph(U'\u3042'));  // hiragana a
  EXPECT_TRUE(font->HasGlyph(U'\u5E74'));  // the year kanji
  EXPECT_EQ(font->encoding(), TextEncoding::kShiftJis);
}

TEST(CreateFontTest, ShiftJisTextIsMeasuredByItsCharacters) {
  const std::optional<Font> font = CreateFont({kJapaneseFace, -12, 0, TextEncoding::kShiftJis});
  ASSERT_TRUE(font);
  EXPECT_EQ(TextExtent(*font, "\x82\xa0\x82\xa2"),
            font->Advance(U'\u3042') + font->Advance(U'\u3044'));
}

int64_t Ink(const GlyphImage& glyph) {
  return std::accumulate(glyph.coverage.begin(), glyph.coverage.end(), int64_t{0});
}

class BoldTest : public ::testing::TestWithParam<TextEncoding> {};

TEST_P(BoldTest, BoldPutsMoreInkDown) {
  const std::string face = GetParam() == TextEncoding::kShiftJis ? kJapaneseFace : "Verdana";
  const std::optional<Font> regular = CreateFont({face, -24, 0, GetParam()});
  const std::optional<Font> bold = CreateFont({face, -24, kBoldWeight, GetParam()});
  ASSERT_TRUE(regular && bold);
  EXPECT_GT(Ink(bold->RenderGlyph(U'H')), Ink(regular->RenderGlyph(U'H')));
}

INSTANTIATE_TEST_SUITE_P(Encodings, BoldTest,
                         ::testing::Values(TextEncoding::kAnsi, TextEncoding::kShiftJis));

TEST(CreateFontTest, APositiveHeightIsTheCell) {
  const std::optional<Font> font = CreateFont({"Verdana", 20, 0, TextEncoding::kAnsi});
  ASSERT_TRUE(font);
  EXPECT_NEAR(font->metrics().tmHeight, 20, 1);
}

TEST(CreateFontTest, HeightZeroIsTheDefaultSize) {
  const std::optional<Font> zero = CreateFont({"Verdana", 0, 0, TextEncoding::kAnsi});
  const std::optional<Font> twelve = CreateFont({"Verdana", -12, 0, TextEncoding::kAnsi});
  ASSERT_TRUE(zero && twelve);
  EXPECT_EQ(zero->metrics(), twelve->metrics());
}

TEST(CreateFontTest, AHugeHeightIsDrawnAtTheLargestSize) {
  const std::optional<Font> huge = CreateFont({"Verdana", -1000000, 0, TextEncoding::kAnsi});
  const std::optional<Font> largest = CreateFont({"Verdana", -4096, 0, TextEncoding::kAnsi});
  ASSERT_TRUE(huge && largest);
  EXPECT_EQ(huge->metrics(), largest->metrics());
  EXPECT_LE(huge->RenderGlyph(U'W').rows, 2 * 4096);
}

// --- The run's label fonts --------------------------------------------------------------------

class LabelFontsTest : public ::testing::TestWithParam<Language> {};

TEST_P(LabelFontsTest, MeasureTheirDigitsAndLines) {
  const LabelFonts fonts = CreateLabelFonts(Settings{}, GetParam());
  ASSERT_TRUE(fonts.label.font && fonts.small_label.font);
  EXPECT_GE(fonts.label.line_height, 12);
  EXPECT_GE(fonts.small_label.line_height, 8);
  EXPECT_LT(fonts.small_label.line_height, fonts.label.line_height);
  EXPECT_GT(fonts.small_label.digit_width, 0);
  EXPECT_LT(fonts.small_label.digit_width, fonts.label.digit_width);
  EXPECT_EQ(fonts.label.font->encoding(), EncodingOfLanguage(GetParam()));
  EXPECT_EQ(fonts.small_label.font->encoding(), TextEncoding::kAnsi);
}

INSTANTIATE_TEST_SUITE_P(Languages, LabelFontsTest,
                         ::testing::Values(Language::kJapanese, Language::kEnglish));

TEST(LabelFontsTest, TheFontSettingChoosesTheLabelFace) {
  Settings settings;
  settings.Font[1] = "Liberation Mono";
  const LabelFonts fonts = CreateLabelFonts(settings, Language::kEnglish);
  ASSERT_TRUE(fonts.label.font);
  EXPECT_EQ(fonts.label.font->family(), "Liberation Mono");
  // Every character of a monospaced face is as wide as a digit.
  EXPECT_EQ(TextExtent(*fonts.label.font, "N"), fonts.label.digit_width);
}

}  // namespace
}  // namespace nephrax
