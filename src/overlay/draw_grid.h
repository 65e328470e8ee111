// The latitude/longitude grid on a picture of a grid image: lines of constant latitude and
// longitude at every multiple of the interval, the equator in its own colour, and degree labels
// at the picture's edges where the lines leave room for them.
#pragma once

#include <cstdint>

#include "core/settings.h"
#include "render/label_fonts.h"
#include "render/map_transform.h"
#include "render/surface.h"

namespace nephrax {

// Draws the grid of the area between the top-left and bottom-right `corners`, shown on the
// rectangle `area`, every `interval` hundredths of a degree. Lines take GrdCol (the equator
// EqtCol), GrdWid pixels wide (a wide pen is solid-brushed and geometric) and the grid's map style
// (MapSty[5]); labels take the label font or the small label font and an opaque or a transparent
// background as GrdStr says, in the colour of their line. The surface's state is left as it was.
// Corners that are no place on the Earth draw nothing.
void DrawGrid(Surface& surface, const PixelRect& area, const AreaCornerSet& corners,
              int32_t interval, const Settings& settings, const LabelFonts& fonts);

}  // namespace nephrax
