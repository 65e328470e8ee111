// The two label fonts of a run, created once at start-up: the label font (9 points, the face of
// the current language) and the small label font (6 points, "Arial Narrow"), each with the digit
// width and line height the grid labels and the zoom window are laid out with. Points become
// pixels at 96 dots per inch, since there is no screen to ask.
#pragma once

#include <cstdint>
#include <optional>

#include "core/settings.h"
#include "render/font.h"
#include "render/map_transform.h"

namespace nephrax {

inline constexpr int32_t kDotsPerInch = 96;

// The font height (negative: the em) in pixels for a size in points.
constexpr int32_t PointsToHeight(int32_t points) {
  return -(points * kDotsPerInch) / 72;
}

struct LabelFont {
  std::optional<Font> font;  // none when no face could be loaded; the metrics then stay 0
  int32_t digit_width = 0;   // the width of "0000" divided by 4, rounded down
  int32_t line_height = 0;   // tmHeight + tmExternalLeading

  LabelMetrics metrics() const { return {digit_width, line_height}; }
};

struct LabelFonts {
  LabelFont label;
  LabelFont small_label;
};

LabelFonts CreateLabelFonts(const Settings& settings, Language language);

}  // namespace nephrax
