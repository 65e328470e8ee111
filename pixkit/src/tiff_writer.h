// TIFF pictures through libtiff, and GeoTIFF tags through libgeotiff.
#pragma once

#include "dib_image.h"
#include "outcome.h"

namespace pixkit {

// The picture as a Deflate-compressed TIFF: 8-bit grey when every pixel is grey, else 24-bit RGB.
Outcome WriteTiff(const char* path, const DibImage& image);

// Where a picture lies on the earth, in degrees: the centre of its top-left pixel and the steps
// from one pixel to the next across and from one line to the next down (positive when latitude
// falls down the picture).
struct GeoReference {
  double top_latitude = 0;
  double left_longitude = 0;
  double latitude_step = 0;
  double longitude_step = 0;
};

// Adds the tags that place the TIFF at `path` in geographic WGS 84 coordinates: each pixel an
// area, the first one centred on the reference's top-left point. Refuses (kUnsupported) a
// reference with a number that is not finite; kFileOpen when the file is not a TIFF it can
// update.
Outcome AddGeoReference(const char* path, const GeoReference& reference);

}  // namespace pixkit
