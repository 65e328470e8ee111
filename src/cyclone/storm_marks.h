// What the cyclone overlay draws: a diagonal cross at each storm's centre with its label above and
// its intensity value below, and the notice that no storm was drawn. The storm marks are sized by
// `HstSiz`; the fonts are bold faces of the current language.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/colour.h"
#include "core/settings.h"
#include "render/font.h"
#include "render/surface.h"

namespace nephrax {

// A storm as it is drawn.
struct StormMark {
  PixelPoint centre;
  Colour colour;
  std::string label;    // at most 7 bytes
  float intensity = 0;  // drawn with one decimal when `ItsNum` is on and it is 0 or more
};

// The bold font of the current language (or of the `Font` setting) with a character height of
// `height` pixels; none when no face can be loaded.
std::optional<Font> CreateStormFont(const Settings& settings, Language language, int32_t height);

// Sets up the surface for the storms: the label font (which the caller keeps alive while the
// storms are drawn) and a white box behind the texts when `NumBak` is on.
void SelectStormLabels(Surface& surface, const Settings& settings, const Font* label_font);

// Draws one storm in the label font already selected: a cross over the square of half-size
// `HstSiz` / 3 round the centre, with a pen `HstSiz` / 12 + 1 wide, the label centred with its
// top 2 x `HstSiz` above the centre, and the intensity value centred `HstSiz` below it. Whatever
// lies off the surface is clipped.
void DrawStorm(Surface& surface, const Settings& settings, const StormMark& storm);

// Draws the notice text `NtcStr` centred on the surface, in `NtcCol` at the height `NtcSiz`, on a
// white box when `NtcBak` is on.
void DrawNotice(Surface& surface, const Settings& settings, Language language);

}  // namespace nephrax
