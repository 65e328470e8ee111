// The settings that the setup file holds as comma-separated lists: the map styles (`MapSty`) and
// the zoom area (`Zoom`).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace nephrax {

// Each of the six items that is an integer 0..4 replaces its style; other items change nothing.
void ReadMapStyles(std::string_view text, std::array<uint8_t, 6>& styles);
// Items: latitude 1, longitude 1, latitude 2, longitude 2, in degrees. A latitude must lie in
// -90..90, a longitude in -180..360 (above 180 it is taken as 360 less); others change nothing.
// A pair of corners that does not run north to south, or west to east (across the 180th meridian
// allowed), clears its two latitudes or its two longitudes.
void ReadZoomArea(std::string_view text, ZoomArea& zoom);

// "%d" of each style, joined by ",".
std::string MapStyleText(const std::array<uint8_t, 6>& styles);
// "%.2f" degrees of latitude 1, longitude 1, latitude 2, longitude 2, joined by ",".
std::string ZoomText(const ZoomArea& zoom);

}  // namespace nephrax
