// Drawing one source image and its overlays onto the picture surface.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "calsun/display_tables.h"
#include "core/settings.h"
#include "overlay/caption_text.h"
#include "overlay/draw_coastlines.h"
#include "render/label_fonts.h"
#include "render/map_transform.h"
#include "render/surface.h"
#include "source/source_data.h"

namespace nephrax {

// Where the image goes: the source area and the destination rectangle it is stretched to.
struct Placement {
  PixelRect source;       // in DIB terms, lines counted up from the bottom line
  PixelRect destination;  // may reach beyond the picture by half a source pixel on each side
};

// What the overlays draw from besides the source image and the settings.
struct OverlayInputs {
  std::optional<std::string> elevation_directory;  // terrain shading when given
  const LabelFonts* label_fonts = nullptr;  // of the grid's labels; none leaves the labels out
  Language language = Language::kJapanese;  // of the caption
  LocalZone local_zone;                     // of the caption's local time
  std::string program_directory;            // where the coastline files chosen by scale lie
  CoastlineData* coastline_data = nullptr;  // held for the run; none leaves the coastlines out
};

// Places the image, then lays the overlays on it in their order. The image buffer is consumed.
// Returns false when nothing could be drawn; with an elevation directory given, when the terrain
// could not be shaded (a satellite-view image, or no usable elevation data).
bool DrawPicture(Surface& surface, SourceData& source, const DisplayTables& tables,
                 const Settings& settings, LabelMetrics label_font, ZoomState& zoom,
                 const OverlayInputs& overlays);

// Stretches the image through the palette onto the picture and releases the image buffer: the
// whole image, or with the zoom active the part under the zoom window. A grid image first sets
// the zoom window from the Zoom setting when it is large enough for `label_font`. Returns true
// when at least one line was drawn; with the zoom active, an image whose area gives the window's
// corners no source position draws nothing.
bool PlaceImage(Surface& surface, SourceData& source, const DisplayTables& tables,
                const Settings& settings, LabelMetrics label_font, ZoomState& zoom);

// The placement of a whole W x H image on an OW x OH picture: each source pixel covers a whole
// number of picture pixels (rounded), and the destination reaches half a source pixel beyond the
// picture on every side, so that the centres of the first and last source pixels fall on the
// first and last picture pixels.
Placement PlaceWholeImage(int32_t width, int32_t height, int32_t output_width,
                          int32_t output_height);

// The placement of the part of a source image of `source_height` lines that lies under the zoom
// window, stretched over the whole picture like a whole image. None when a corner of the window
// has no source position or the source area does not fit int32.
std::optional<Placement> PlaceZoomWindow(const ControlBlock& control, int32_t source_height,
                                         PictureSize picture, const ZoomWindow& window);

// The DIB colour table (blue, green, red) of the display palette.
ColourTable BuildPalette(const Palette& palette);

// The colour of every 16-bit count (kCountColours entries): the colour of its palette index, counts
// beyond the count-to-index table that of its last entry, and the no-data count the colour of
// `no_data_index`.
std::vector<DibColour> BuildCountColours(const ColourTable& colours,
                                         const CountToIndex& count_to_index, uint8_t no_data_index);

// Palette index of 16-bit no-data pixels: the light end for infrared channels drawn the usual way
// round (cold is light), the dark end otherwise.
uint8_t NoDataIndex(const ChannelSettings& channel);

}  // namespace nephrax
