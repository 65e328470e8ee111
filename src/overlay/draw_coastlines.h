// The coastline overlay of grid images: the polylines of a coastline file (shores, borders,
// rivers, each record tagged with an element type) drawn over the picture in MapCol.
//
// The data are the -m file when one was given; otherwise the first picture that draws coastlines
// picks one of the files beside the program by its scale, and that file stays for the run, so
// every frame of an animation uses the same one. The picture is a plain latitude/longitude
// mapping of the displayed area: a point lies by integer interpolation between the area's edges.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "render/map_transform.h"
#include "render/surface.h"

namespace nephrax {

// The coastline data of a run, zero-filled to 1024 bytes or more; none until a file is loaded.
using CoastlineData = std::optional<std::vector<uint8_t>>;

// Draws the coastlines of the area between the top-left and bottom-right `corners` on the
// rectangle `area`. When `data` holds nothing yet, a file is loaded into it from `directory` (the
// program directory) by the picture's scale in hundredths of a degree per pixel: "msMap2.dat"
// below 5, "msMap9.dat" below 20, "msMap30.dat" beyond; when that file is missing, the first
// present of the three in that order. Records are chosen by the Elem mask and drawn in MapCol,
// MapWid wide, in the MapSty style of their element type. Returns false, drawing nothing, when no
// coastline data are available or the area or the picture has no extent (a single row or column
// of pixels).
bool DrawCoastlines(Surface& surface, const PixelRect& area, const AreaCornerSet& corners,
                    const Settings& settings, std::string_view directory, CoastlineData& data);

}  // namespace nephrax
