// Where the land is in the sample's area (10N..50N, 110E..160E): a land/sea mask of the area made
// from the GSHHG shorelines (data/land/land_mask.pbm, compiled into the tool).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace nephrax::sample {

// Land (1) and sea (0) at points spread evenly over the sample's area, corner points included: top
// row north, each row west to east.
struct LandMask {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> land;
};

// The bytes of data/land/land_mask.pbm.
std::span<const uint8_t> LandMaskFile();

// A binary PBM ("P4", 1 = land) of at least 2 x 2 points; throws std::runtime_error for bytes that
// are not one.
LandMask ReadLandMask(std::span<const uint8_t> pbm);

// Share of land at a point, 0 (sea) to 1 (land): interpolated between the four mask points round
// it, so that it changes smoothly across a coast at sizes other than the mask's own. A point
// outside the area takes the value at the nearest edge.
double LandFraction(const LandMask& mask, double lat, double lon);

}  // namespace nephrax::sample
