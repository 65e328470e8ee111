#include "render/label_fonts.h"

#include <cstddef>
#include <utility>

namespace nephrax {

namespace {

LabelFont MeasuredLabelFont(std::optional<Font> font) {
  LabelFont label{std::move(font)};
  if (label.font) {
    const TextMetrics& metrics = label.font->metrics();
    label.line_height = metrics.tmHeight + metrics.tmExternalLeading;
    label.digit_width = TextExtent(*label.font, "0000") / 4;
  }
  return label;
}

}  // namespace

LabelFonts CreateLabelFonts(const Settings& settings, Language language) {
  const FontRequest label{settings.Font[static_cast<size_t>(language)], PointsToHeight(9), 0,
                          EncodingOfLanguage(language)};
  const FontRequest small_label{"Arial Narrow", PointsToHeight(6), 0, TextEncoding::kAnsi};
  return {MeasuredLabelFont(CreateFont(label)), MeasuredLabelFont(CreateFont(small_label))};
}

}  // namespace nephrax
