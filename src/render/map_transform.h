// Transforms of grid images between latitude/longitude, picture and source positions, and the zoom
// window that enlarges a latitude/longitude rectangle to fill the picture.
//
// A grid image covers a rectangle of latitude and longitude in equal angular steps, and the
// picture shows it the same way: rows are linear in latitude, columns linear in longitude. Areas
// may cross the 180th meridian; longitudes are then made continuous by counting the eastern edge
// on past 180.
//
// An area without extent (equal top and bottom latitudes, or equal western and eastern
// longitudes) cannot be mapped onto a picture of more than one row or column: the transforms give
// none for it, and no zoom window is set on it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/control_block.h"
#include "core/settings.h"

namespace nephrax {

// A point on the Earth in degrees, in single precision as the control block holds it.
struct GeoPoint {
  float lat = 0;
  float lon = 0;

  friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
};

// The corners of the displayed area, in the order of the indexes below.
using AreaCornerSet = std::array<GeoPoint, 4>;
inline constexpr size_t kTopLeft = 0;
inline constexpr size_t kTopRight = 1;
inline constexpr size_t kBottomLeft = 2;
inline constexpr size_t kBottomRight = 3;

struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
};

struct PicturePoint {
  int32_t x = 0;
  int32_t y = 0;

  friend bool operator==(const PicturePoint&, const PicturePoint&) = default;
};

// A position in the source image: pixel across, line down from the file's first line.
struct SourcePoint {
  int32_t pixel = 0;
  int32_t line = 0;

  friend bool operator==(const SourcePoint&, const SourcePoint&) = default;
};

// The corners of the zoom rectangle in the unzoomed picture: (x0, y0) north-west, (x1, y1)
// south-east.
struct ZoomWindow {
  int32_t x0 = 0;
  int32_t y0 = 0;
  int32_t x1 = 0;
  int32_t y1 = 0;

  friend bool operator==(const ZoomWindow&, const ZoomWindow&) = default;
};

// The zoom of a run. Once a window is set it stays in force for the rest of the run: a later file
// whose own zoom check fails, or a satellite-view file, is drawn through the earlier window.
struct ZoomState {
  bool active = false;
  ZoomWindow window;
};

// Digit width and line height of a label font, in pixels.
struct LabelMetrics {
  int32_t digit_width = 0;
  int32_t line_height = 0;
};

// Longitudes of an area made continuous across the 180th meridian.
struct LongitudeRange {
  double west = 0;
  double east = 0;  // past 180 when the area crosses the 180th meridian
  double centre = 0;
};

// The range from `west` to `east`: `east` counts on past 180 when it is negative and west of
// `west`, that is when the area crosses the 180th meridian.
LongitudeRange ContinuousLongitudes(double west, double east);

// `lon`, or the same meridian one turn round (lon + 360 or lon - 360) when that lies nearer the
// centre of `range`.
double BringLongitudeNextTo(const LongitudeRange& range, double lon);

// The corners of the displayed area: the control block's corners, or with the zoom active the
// corners of the zoom window within the control block's area on a picture of `picture` size.
AreaCornerSet AreaCorners(const ControlBlock& control, const ZoomState& zoom, PictureSize picture);

// The picture position of (lat, lon) on a picture of `picture` size showing the displayed area
// (zoomed when the zoom is active). None when the area has no extent or the position lies beyond
// the range of int32.
std::optional<PicturePoint> LatLonToPicture(const ControlBlock& control, const ZoomState& zoom,
                                            PictureSize picture, double lat, double lon);

// The source position under the position (x, y) of the unzoomed picture. Grid images go through
// latitude and longitude; satellite-view images (reached only while a zoom window of an earlier
// grid image is in force) scale linearly. None when the area has no extent or the position lies
// beyond the range of int32.
std::optional<SourcePoint> PictureToSource(const ControlBlock& control, PictureSize picture,
                                           int32_t x, int32_t y);

// Sets the zoom window from the zoom area (north-west and south-east corners, hundredths of a
// degree) when the window it gives on the picture is more than two digits of the label font wide
// and more than two lines high. Returns true when the window was set; otherwise `zoom` is left as
// it was.
bool SetupZoomWindow(const ControlBlock& control, const ZoomArea& area, PictureSize picture,
                     LabelMetrics label_font, ZoomState& zoom);

}  // namespace nephrax
