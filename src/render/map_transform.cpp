#include "render/map_transform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace nephrax {

namespace {

// The extent of an area: its top and bottom latitudes and its continuous longitudes.
struct MapArea {
  double top = 0;
  double bottom = 0;
  LongitudeRange lons;
};

// A picture position rounded to whole pixels but not yet narrowed, so that it can be clamped.
struct PicturePosition {
  double x = 0;
  double y = 0;
};

AreaCornerSet ControlBlockCorners(const ControlBlock& control) {
  return AreaCornerSet{
      GeoPoint{control.Real(cb::kTopLeftLat), control.Real(cb::kTopLeftLon)},
      GeoPoint{control.Real(cb::kTopRightLat), control.Real(cb::kTopRightLon)},
      GeoPoint{control.Real(cb::kBottomLeftLat), control.Real(cb::kBottomLeftLon)},
      GeoPoint{control.Real(cb::kBottomRightLat), control.Real(cb::kBottomRightLon)}};
}

// The extent is taken from the top-left and bottom-right corners.
MapArea AreaOf(const AreaCornerSet& corners) {
  return MapArea{corners[kTopLeft].lat, corners[kBottomRight].lat,
                 ContinuousLongitudes(corners[kTopLeft].lon, corners[kBottomRight].lon)};
}

// The value at `position` of the `last` equal steps from `start` to `end`. With a single position
// (no steps) every position lies at `start`.
double Interpolate(double start, double end, int32_t position, int32_t last) {
  if (last == 0) return start;
  return start + (end - start) * position / last;
}

// The position, rounded to the nearest, of a value `offset` from the start of a `span` that is
// divided into `last` steps. A single position takes every value; a span of zero over several
// positions has no position for anything.
std::optional<double> GridPosition(double offset, double span, int32_t last) {
  if (last == 0) return 0.0;
  if (span == 0) return std::nullopt;
  const double position = std::floor(offset * last / span + 0.5);
  if (std::isnan(position)) return std::nullopt;
  return position;
}

std::optional<int32_t> ToInt32(double position) {
  if (!(position >= std::numeric_limits<int32_t>::min() &&
        position <= std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<int32_t>(position);
}

std::optional<int32_t> ToInt32(int64_t position) {
  if (position < std::numeric_limits<int32_t>::min() ||
      position > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(position);
}

std::optional<PicturePosition> PositionOnPicture(const MapArea& area, PictureSize picture,
                                                 double lat, double lon) {
  const std::optional<double> y =
      GridPosition(area.top - lat, area.top - area.bottom, picture.height - 1);
  const std::optional<double> x =
      GridPosition(BringLongitudeNextTo(area.lons, lon) - area.lons.west,
                   area.lons.east - area.lons.west, picture.width - 1);
  if (!x || !y) return std::nullopt;
  return PicturePosition{*x, *y};
}

// Position of `position` of a run of `picture_last` + 1 picture pixels in a run of `source_last`
// + 1 source pixels, rounded to the nearest.
std::optional<int32_t> ScaleLinearly(int32_t position, int64_t source_last, int32_t picture_last) {
  if (picture_last == 0) return 0;
  return ToInt32((position * source_last + picture_last / 2) / picture_last);
}

std::optional<SourcePoint> SatelliteViewToSource(const ControlBlock& control, PictureSize picture,
                                                 int32_t x, int32_t y) {
  const int64_t width = std::llabs(int64_t{control.Int(cb::kViewPixels)});
  const int64_t height = std::llabs(int64_t{control.Int(cb::kViewLines)});
  const std::optional<int32_t> pixel = ScaleLinearly(x, width - 1, picture.width - 1);
  const std::optional<int32_t> line = ScaleLinearly(y, height - 1, picture.height - 1);
  if (!pixel || !line) return std::nullopt;
  return SourcePoint{*pixel, *line};
}

// The source's own lines run from the top-left to the bottom-left corner and its pixels from the
// top-left to the top-right corner.
std::optional<SourcePoint> GridToSource(const ControlBlock& control, PictureSize picture, int32_t x,
                                        int32_t y) {
  const MapArea area = AreaOf(ControlBlockCorners(control));
  const double lat = Interpolate(area.top, area.bottom, y, picture.height - 1);
  const double lon = BringLongitudeNextTo(
      area.lons, Interpolate(area.lons.west, area.lons.east, x, picture.width - 1));

  const double source_top = control.Real(cb::kTopLeftLat);
  const double source_bottom = control.Real(cb::kBottomLeftLat);
  const LongitudeRange source_lons =
      ContinuousLongitudes(control.Real(cb::kTopLeftLon), control.Real(cb::kTopRightLon));
  const std::optional<double> line =
      GridPosition(source_top - lat, source_top - source_bottom, control.Int(cb::kGridLines) - 1);
  const std::optional<double> pixel =
      GridPosition(BringLongitudeNextTo(source_lons, lon) - source_lons.west,
                   source_lons.east - source_lons.west, control.Int(cb::kGridPixels) - 1);
  if (!pixel || !line) return std::nullopt;
  const std::optional<int32_t> source_pixel = ToInt32(*pixel);
  const std::optional<int32_t> source_line = ToInt32(*line);
  if (!source_pixel || !source_line) return std::nullopt;
  return SourcePoint{*source_pixel, *source_line};
}

int32_t ClampToPicture(double position, int32_t last) {
  return static_cast<int32_t>(std::max(0.0, std::min(position, static_cast<double>(last))));
}

}  // namespace

LongitudeRange ContinuousLongitudes(double west, double east) {
  const double end = east < 0 && west > east ? east + 360 : east;
  return LongitudeRange{west, end, (west + end) * 0.5};
}

double BringLongitudeNextTo(const LongitudeRange& range, double lon) {
  const double m = range.centre;
  if (lon < 0) return std::fabs(m - lon) > std::fabs(lon + 360 - m) ? lon + 360 : lon;
  return std::fabs(lon - m) > std::fabs(m - lon + 360) ? lon - 360 : lon;
}

AreaCornerSet AreaCorners(const ControlBlock& control, const ZoomState& zoom, PictureSize picture) {
  const AreaCornerSet corners = ControlBlockCorners(control);
  if (!zoom.active) return corners;
  const MapArea area = AreaOf(corners);
  const ZoomWindow& w = zoom.window;
  const std::array<PicturePoint, 4> window_corners{
      PicturePoint{w.x0, w.y0}, PicturePoint{w.x1, w.y0}, PicturePoint{w.x0, w.y1},
      PicturePoint{w.x1, w.y1}};
  AreaCornerSet zoomed;
  for (size_t i = 0; i < zoomed.size(); ++i) {
    const double lat = Interpolate(area.top, area.bottom, window_corners[i].y, picture.height - 1);
    const double lon =
        Interpolate(area.lons.west, area.lons.east, window_corners[i].x, picture.width - 1);
    zoomed[i] =
        GeoPoint{static_cast<float>(lat), static_cast<float>(BringLongitudeNextTo(area.lons, lon))};
  }
  return zoomed;
}

std::optional<PicturePoint> LatLonToPicture(const ControlBlock& control, const ZoomState& zoom,
                                            PictureSize picture, double lat, double lon) {
  const std::optional<PicturePosition> position =
      PositionOnPicture(AreaOf(AreaCorners(control, zoom, picture)), picture, lat, lon);
  if (!position) return std::nullopt;
  const std::optional<int32_t> x = ToInt32(position->x);
  const std::optional<int32_t> y = ToInt32(position->y);
  if (!x || !y) return std::nullopt;
  return PicturePoint{*x, *y};
}

std::optional<SourcePoint> PictureToSource(const ControlBlock& control, PictureSize picture,
                                           int32_t x, int32_t y) {
  return control.IsGrid() ? GridToSource(control, picture, x, y)
                          : SatelliteViewToSource(control, picture, x, y);
}

bool SetupZoomWindow(const ControlBlock& control, const ZoomArea& area, PictureSize picture,
                     LabelMetrics label_font, ZoomState& zoom) {
  const MapArea whole = AreaOf(ControlBlockCorners(control));
  const std::optional<PicturePosition> north_west =
      PositionOnPicture(whole, picture, area.lat1 / 100.0, area.lon1 / 100.0);
  const std::optional<PicturePosition> south_east =
      PositionOnPicture(whole, picture, area.lat2 / 100.0, area.lon2 / 100.0);
  if (!north_west || !south_east) return false;

  const ZoomWindow window{ClampToPicture(north_west->x, picture.width - 1),
                          ClampToPicture(north_west->y, picture.height - 1),
                          ClampToPicture(south_east->x, picture.width - 1),
                          ClampToPicture(south_east->y, picture.height - 1)};
  // Halves of the extent are compared, so the window must be more than two digits wide and two
  // lines high; the sums cannot overflow, as every coordinate lies on the picture.
  if ((window.x1 - window.x0 + 1) / 2 <= label_font.digit_width ||
      (window.y1 - window.y0 + 1) / 2 <= label_font.line_height) {
    return false;
  }
  zoom = ZoomState{true, window};
  return true;
}

}  // namespace nephrax
