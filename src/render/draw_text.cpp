#include "render/draw_text.h"

#include <algorithm>
#include <string>

#include "render/font.h"

namespace nephrax {

namespace {

uint8_t Blend(uint8_t below, uint8_t ink, unsigned coverage) {
  return static_cast<uint8_t>((below * (255u - coverage) + ink * coverage + 127u) / 255u);
}

// Lays the glyph's coverage over the surface with its top-left pixel at (left, top).
void BlendGlyph(Surface& surface, const GlyphImage& glyph, int64_t left, int64_t top, Colour ink) {
  const int64_t first_row = std::max<int64_t>(0, -top);
  const int64_t last_row = std::min<int64_t>(glyph.rows, surface.height() - top);
  const int64_t first_column = std::max<int64_t>(0, -left);
  const int64_t last_column = std::min<int64_t>(glyph.width, surface.width() - left);
  if (first_column >= last_column) return;
  for (int64_t row = first_row; row < last_row; ++row) {
    uint8_t* pixel = surface.Row(static_cast<int32_t>(top + row)).data() +
                     static_cast<size_t>(left + first_column) * 3;
    const uint8_t* coverage =
        glyph.coverage.data() + static_cast<size_t>(row * glyph.width + first_column);
    for (int64_t column = first_column; column < last_column; ++column, pixel += 3) {
      const unsigned amount = *coverage++;
      pixel[0] = Blend(pixel[0], ink.blue, amount);
      pixel[1] = Blend(pixel[1], ink.green, amount);
      pixel[2] = Blend(pixel[2], ink.red, amount);
    }
  }
}

}  // namespace

void DrawText(Surface& surface, int32_t x, int32_t y, std::string_view text) {
  const SurfaceState& state = surface.state();
  if (state.font == nullptr) return;
  const Font& font = *state.font;
  const std::u32string codes = DecodeText(text, font.encoding());
  if (state.background_mode == BackgroundMode::kOpaque) {
    int64_t extent = 0;
    for (const char32_t code : codes) extent += font.Advance(code);
    const TextMetrics& metrics = font.metrics();
    const int64_t bottom = int64_t{y} + metrics.tmHeight + metrics.tmExternalLeading;
    for (int64_t row = std::max<int64_t>(y, 0); row < std::min<int64_t>(bottom, surface.height());
         ++row) {
      FillSpan(surface, row, x, x + extent, state.background_colour);
    }
  }
  // One glyph at a time, so that even the largest glyphs never pile up in memory.
  const int64_t baseline = int64_t{y} + font.metrics().tmAscent;
  int64_t pen = x;
  for (const char32_t code : codes) {
    const GlyphImage glyph = font.RenderGlyph(code);
    BlendGlyph(surface, glyph, pen + glyph.left, baseline - glyph.top, state.text_colour);
    pen += glyph.advance;
  }
}

}  // namespace nephrax
