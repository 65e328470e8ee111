// Text on the drawing surface in the selected font, colours and background mode.
#pragma once

#include <cstdint>
#include <string_view>

#include "render/surface.h"

namespace nephrax {

// Writes `text` in the surface's font with the top-left corner of its cell at (x, y): the
// baseline lies the font's ascent below y. The bytes are read in the font's encoding (Shift-JIS
// for a Japanese font, UTF-8 otherwise). In opaque background mode the cell, the text's extent
// wide and its line height (tmHeight + tmExternalLeading) tall, is filled with the background
// colour first. Glyphs are antialiased: each pixel moves toward the text colour by the glyph's
// coverage of it. Without a font nothing is drawn; whatever lies off the surface is left out.
void DrawText(Surface& surface, int32_t x, int32_t y, std::string_view text);

}  // namespace nephrax
