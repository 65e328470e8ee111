// Where the latitude/longitude grid goes on a picture of a grid image: the integer frame of the
// displayed area, the lines at every multiple of the interval, and the degree labels at the
// picture's edges where they have room. The picture is a plain latitude/longitude mapping of the
// area, so every line is straight and lies by integer interpolation between the area's edges.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/map_transform.h"
#include "render/surface.h"

namespace nephrax {

// The displayed area in hundredths of a degree, with the picture's extent in pixels.
struct AreaFrame {
  int32_t top = 0;     // latitude of the top edge
  int32_t bottom = 0;  // latitude of the bottom edge
  int32_t left = 0;    // longitude of the left edge
  int32_t right = 0;   // longitude of the right edge, past 18000 when the area crosses 180
  int32_t lat_span = 0;
  int32_t lon_span = 0;
  int32_t lat_offset =
      0;  // from the top edge down to the first grid latitude; top without interval
  int32_t lon_offset = 0;  // from the right edge back to the first grid meridian; left without one
  int32_t interval = 0;    // grid interval; 0 when no grid is laid out
  int32_t width_less_one = 0;   // pixels
  int32_t height_less_one = 0;  // pixels

  friend bool operator==(const AreaFrame&, const AreaFrame&) = default;
};

// The frame of the area between the top-left and bottom-right `corners`, shown on the rectangle
// `area`, with grid lines every `interval` hundredths of a degree (0: none). None when a corner
// is not a number or lies beyond a whole turn (360 degrees) from 0.
std::optional<AreaFrame> ComputeAreaFrame(const AreaCornerSet& corners, const PixelRect& area,
                                          int32_t interval);

enum class Coordinate { kLatitude, kLongitude };

// The label of `value` degrees with `decimals` decimals and its hemisphere letter: "35N", "5S",
// "140.5E", "160W" (longitudes are brought into -180..180 first). A latitude beyond 90 degrees, a
// longitude beyond 180, or a value that is not a number gives the placeholder of the label's
// width ("xx.xN"). Empty for decimals outside 0..5.
std::string FormatLatLon(double value, int decimals, Coordinate coordinate);

// One grid line, drawn from `from` to `to` without the end point, and its labels.
struct GridLine {
  PicturePoint from;
  PicturePoint to;
  bool equator = false;  // drawn with the equator's pen, its labels in the equator's colour
  std::string label;     // empty when the line has no labels
  std::array<PicturePoint, 2> label_positions{};  // top-left corners of the two labels

  friend bool operator==(const GridLine&, const GridLine&) = default;
};

// The grid of `frame` on the rectangle `area` in drawing order: latitudes from the top down, then
// meridians from the right edge leftwards. Labels take the label font's digit width and line
// height; latitude labels need two lines of room between grid lines, longitude labels six digits.
// No lines when the frame has no interval or an extent of zero or less.
std::vector<GridLine> LayOutGrid(const AreaFrame& frame, const PixelRect& area,
                                 LabelMetrics label_font);

}  // namespace nephrax
