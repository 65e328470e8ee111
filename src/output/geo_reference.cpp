#include "output/geo_reference.h"

#include <algorithm>

namespace nephrax {

GeoArea DisplayedArea(const ControlBlock& control, const ZoomState& zoom, PictureSize picture) {
  const AreaCornerSet corners = AreaCorners(control, zoom, picture);
  return GeoArea{corners[kTopLeft].lat, corners[kTopLeft].lon, corners[kBottomRight].lat,
                 corners[kBottomRight].lon};
}

std::array<double, 4> GeoTiffParameters(const GeoArea& area, int32_t width, int32_t height) {
  const double right = area.right_longitude < area.left_longitude ? area.right_longitude + 360
                                                                  : area.right_longitude;
  const double steps_down = std::max(height - 1, 1);
  const double steps_across = std::max(width - 1, 1);
  return {area.top_latitude, area.left_longitude,
          (area.top_latitude - area.bottom_latitude) / steps_down,
          (right - area.left_longitude) / steps_across};
}

}  // namespace nephrax
