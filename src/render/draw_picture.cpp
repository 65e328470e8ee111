#include "render/draw_picture.h"

#include <algorithm>
#include <limits>
#include <new>
#include <vector>

#include "overlay/draw_caption.h"
#include "overlay/draw_coastlines.h"
#include "overlay/draw_grid.h"
#include "terrain/shade_terrain.h"

namespace nephrax {

namespace {

// Half the picture pixels of one source pixel, less half a pixel: how far the destination reaches
// beyond the picture on each side. A span of 0 (one source pixel or line) stretches over the
// whole picture with no margin.
int32_t HalfSourcePixelMargin(int64_t source_span, int64_t output_size) {
  if (source_span <= 0) return 0;
  const int64_t zoom = (source_span / 2 + output_size - 1) / source_span;
  return static_cast<int32_t>((zoom - 1) / 2);
}

bool FitsInt32(int64_t value) {
  return value >= std::numeric_limits<int32_t>::min() &&
         value <= std::numeric_limits<int32_t>::max();
}

// The destination of a source area `source_width` x `source_height` stretched over the picture.
PixelRect StretchedOverPicture(int64_t source_width, int64_t source_height, PictureSize picture) {
  const int32_t bx = HalfSourcePixelMargin(source_width - 1, picture.width);
  const int32_t by = HalfSourcePixelMargin(source_height - 1, picture.height);
  return PixelRect{-bx, -by, picture.width + 2 * bx, picture.height + 2 * by};
}

// Stretches the image's counts, 8-bit palette indexes or 16-bit counts, onto `destination`.
int32_t StretchCounts(Surface& surface, const Placement& placement, const SourceData& source,
                      const DisplayTables& tables, const Settings& settings) {
  const SourceImage& image = source.image;
  const ColourTable colours = BuildPalette(tables.palette);
  if (image.counts16.empty()) {
    return StretchImage(surface, placement.destination,
                        IndexImage{image.counts8, image.width, image.height}, placement.source,
                        colours);
  }
  const ChannelSettings& channel =
      settings.channels[static_cast<size_t>(source.control.channel_index)];
  std::vector<DibColour> count_colours;
  try {
    count_colours = BuildCountColours(colours, tables.count_to_index, NoDataIndex(channel));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return StretchImage(surface, placement.destination,
                      CountImage{image.counts16, image.width, image.height, image.stride},
                      placement.source, count_colours);
}

// The grid interval of Intv in hundredths of a degree. Intv is brought into the table when the
// setup file is read; settings made otherwise are held to it too.
int32_t GridInterval(const Settings& settings) {
  const int32_t last = static_cast<int32_t>(kGridIntervals.size()) - 1;
  return kGridIntervals[static_cast<size_t>(std::clamp(settings.Intv, 0, last))] * 100;
}

}  // namespace

uint8_t NoDataIndex(const ChannelSettings& channel) {
  return channel.tbb && !channel.rev ? 255 : 0;
}

Placement PlaceWholeImage(int32_t width, int32_t height, int32_t output_width,
                          int32_t output_height) {
  return Placement{PixelRect{0, 0, width, height},
                   StretchedOverPicture(width, height, PictureSize{output_width, output_height})};
}

std::optional<Placement> PlaceZoomWindow(const ControlBlock& control, int32_t source_height,
                                         PictureSize picture, const ZoomWindow& window) {
  const std::optional<SourcePoint> first = PictureToSource(control, picture, window.x0, window.y0);
  const std::optional<SourcePoint> last = PictureToSource(control, picture, window.x1, window.y1);
  if (!first || !last) return std::nullopt;
  const int64_t width = int64_t{last->pixel} - first->pixel + 1;
  const int64_t height = int64_t{last->line} - first->line + 1;
  // DIB rows count up from the bottom line, so the area starts at the line of its last row.
  const int64_t bottom = int64_t{source_height} - last->line - 1;
  if (!FitsInt32(width) || !FitsInt32(height) || !FitsInt32(bottom)) return std::nullopt;
  return Placement{PixelRect{first->pixel, static_cast<int32_t>(bottom),
                             static_cast<int32_t>(width), static_cast<int32_t>(height)},
                   StretchedOverPicture(width, height, picture)};
}

ColourTable BuildPalette(const Palette& palette) {
  ColourTable colours{};
  for (size_t i = 0; i < palette.size(); ++i) {
    colours[i] = DibColour{palette[i].blue, palette[i].green, palette[i].red, 0};
  }
  return colours;
}

std::vector<DibColour> BuildCountColours(const ColourTable& colours,
                                         const CountToIndex& count_to_index,
                                         uint8_t no_data_index) {
  std::vector<DibColour> count_colours(kCountColours, colours[count_to_index.back()]);
  for (size_t count = 0; count < count_to_index.size(); ++count)
    count_colours[count] = colours[count_to_index[count]];
  count_colours[kNoDataCount16] = colours[no_data_index];
  return count_colours;
}

bool PlaceImage(Surface& surface, SourceData& source, const DisplayTables& tables,
                const Settings& settings, LabelMetrics label_font, ZoomState& zoom) {
  const SourceImage& image = source.image;
  const PictureSize picture{surface.width(), surface.height()};
  if (source.control.IsGrid()) {
    SetupZoomWindow(source.control, settings.Zoom, picture, label_font, zoom);
  }
  const std::optional<Placement> placement =
      zoom.active ? PlaceZoomWindow(source.control, image.height, picture, zoom.window)
                  : PlaceWholeImage(image.width, image.height, picture.width, picture.height);
  const int32_t lines =
      placement ? StretchCounts(surface, *placement, source, tables, settings) : 0;
  source.image = SourceImage{};
  return lines > 0;
}

bool DrawPicture(Surface& surface, SourceData& source, const DisplayTables& tables,
                 const Settings& settings, LabelMetrics label_font, ZoomState& zoom,
                 const OverlayInputs& overlays) {
  bool drawn = PlaceImage(surface, source, tables, settings, label_font, zoom);
  const PixelRect area{0, 0, surface.width(), surface.height()};
  // Shading that was asked for and failed fails the drawing, even when the image was placed.
  if (overlays.elevation_directory) {
    drawn = ShadeTerrain(surface, TerrainPicture{area, source.control, zoom, settings.ElvAdj},
                         *overlays.elevation_directory);
  }
  if (source.control.IsGrid()) {
    const AreaCornerSet corners =
        AreaCorners(source.control, zoom, PictureSize{surface.width(), surface.height()});
    if (settings.Map && overlays.coastline_data != nullptr) {
      DrawCoastlines(surface, area, corners, settings, overlays.program_directory,
                     *overlays.coastline_data);
    }
    if (settings.Grid) {
      const LabelFonts no_fonts;
      DrawGrid(surface, area, corners, GridInterval(settings), settings,
               overlays.label_fonts != nullptr ? *overlays.label_fonts : no_fonts);
    }
  }
  if (settings.Dtm >= 0) {
    DrawCaption(surface, area, source.control, settings, overlays.language, overlays.local_zone);
  }
  return drawn;
}

}  // namespace nephrax
