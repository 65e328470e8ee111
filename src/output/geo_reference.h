// Where a picture lies on the earth, for the GeoTIFF tags of a TIFF picture.
#pragma once

#include <array>
#include <cstdint>

#include "core/control_block.h"
#include "render/map_transform.h"

namespace nephrax {

// The area a picture shows: the latitude and longitude (degrees) of the centres of its top-left
// and bottom-right pixels.
struct GeoArea {
  double top_latitude = 0;
  double left_longitude = 0;
  double bottom_latitude = 0;
  double right_longitude = 0;
};

// The area shown on a picture of `picture` size drawn from the source: the top-left and
// bottom-right corners of the displayed area, which are those of the control block (where the
// image's corner pixels are centred) or, with the zoom active, those of the zoom window.
GeoArea DisplayedArea(const ControlBlock& control, const ZoomState& zoom, PictureSize picture);

// The GeoTIFF parameters of a width x height picture of the area: the latitude and longitude of
// its top-left pixel, the latitude step from one line to the next and the longitude step from
// one pixel to the next. Longitude runs on across the 180th meridian: a right edge west of the
// left one lies 360 degrees further east. A picture one pixel wide or high takes the area's
// whole extent as its step.
std::array<double, 4> GeoTiffParameters(const GeoArea& area, int32_t width, int32_t height);

}  // namespace nephrax
