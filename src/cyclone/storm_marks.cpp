#include "cyclone/storm_marks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "render/draw_line.h"
#include "render/draw_text.h"
#include "render/text_codes.h"

namespace nephrax {

namespace {

constexpr Colour kWhite{255, 255, 255};

void SelectBackground(Surface& surface, bool opaque_white) {
  SurfaceState& state = surface.state();
  if (opaque_white) {
    state.background_mode = BackgroundMode::kOpaque;
    state.background_colour = kWhite;
  } else {
    state.background_mode = BackgroundMode::kTransparent;
  }
}

// The width of `text` in the selected font; 0 without one.
int32_t SelectedTextExtent(const Surface& surface, const std::string& text) {
  const Font* font = surface.state().font;
  return font == nullptr ? 0 : TextExtent(*font, text);
}

// Positions far off the surface are held at the edge of the int32 range, where nothing shows.
int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Writes `text` centred on x with its top at y.
void DrawCentredText(Surface& surface, int32_t x, int64_t y, const std::string& text) {
  const int64_t left = int64_t{x} - SelectedTextExtent(surface, text) / 2;
  DrawText(surface, ClampToInt32(left), ClampToInt32(y), text);
}

std::string IntensityText(float intensity) {
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%3.1f", static_cast<double>(intensity));
  return buffer.data();
}

PixelPoint Offset(PixelPoint centre, int64_t dx, int64_t dy) {
  return {ClampToInt32(centre.x + dx), ClampToInt32(centre.y + dy)};
}

}  // namespace

std::optional<Font> CreateStormFont(const Settings& settings, Language language, int32_t height) {
  // A negative font height asks for a character height of that many pixels.
  const FontRequest request{settings.Font[static_cast<size_t>(language)],
                            ClampToInt32(-int64_t{height}), kBoldWeight,
                            EncodingOfLanguage(language)};
  return CreateFont(request);
}

void SelectStormLabels(Surface& surface, const Settings& settings, const Font* label_font) {
  surface.state().font = label_font;
  SelectBackground(surface, settings.NumBak);
}

void DrawStorm(Surface& surface, const Settings& settings, const StormMark& storm) {
  const SurfaceStateSaver saver(surface);
  SurfaceState& state = surface.state();
  const int64_t size = settings.HstSiz;
  const int64_t s = size / 3;
  state.pen = Pen{LineStyle::kSolid, static_cast<int32_t>(size / 12 + 1), storm.colour};
  state.text_colour = storm.colour;

  // Each stroke runs one pixel past the square's far corner, since the end point is left out.
  DrawLine(surface, Offset(storm.centre, -s, -s), Offset(storm.centre, s + 1, s + 1));
  DrawLine(surface, Offset(storm.centre, s, -s), Offset(storm.centre, -s - 1, s + 1));

  DrawCentredText(surface, storm.centre.x, storm.centre.y - 2 * size, storm.label);
  if (settings.ItsNum && storm.intensity >= 0) {
    DrawCentredText(surface, storm.centre.x, storm.centre.y + size, IntensityText(storm.intensity));
  }
}

void DrawNotice(Surface& surface, const Settings& settings, Language language) {
  const std::optional<Font> font = CreateStormFont(settings, language, settings.NtcSiz);
  const SurfaceStateSaver saver(surface);
  SurfaceState& state = surface.state();
  state.font = font ? &*font : nullptr;
  SelectBackground(surface, settings.NtcBak);
  state.text_colour = settings.NtcCol;
  const int64_t left =
      (int64_t{surface.width()} - SelectedTextExtent(surface, settings.NtcStr)) / 2;
  const int64_t top = (int64_t{surface.height()} - settings.NtcSiz) / 2;
  DrawText(surface, ClampToInt32(left), ClampToInt32(top), settings.NtcStr);
}

}  // namespace nephrax
