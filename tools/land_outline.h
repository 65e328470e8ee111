// Where the land is in the sample's area (10N..50N, 110E..160E). The scene asks only this one
// question, so a real land/sea mask can take the place of the coarse outlines behind it.
#pragma once

namespace nephrax::sample {

// Share of land at a point, 0 (sea) to 1 (land). The built-in outlines are coarse polygons of the
// coasts and give whole land or whole sea; a mask could give fractions along the coast.
double LandFraction(double lat, double lon);

}  // namespace nephrax::sample
