// TIFF pictures through libtiff, and their GeoTIFF tags through the plugin that links libgeotiff
// (geotiff_plugin.h).
#pragma once

#include <tiffio.h>

#include <memory>

#include "dib_image.h"
#include "outcome.h"

namespace pixkit {

// libtiff's own messages would go to standard error; the caller reports the outcome instead.
inline int SilenceTiff(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPointer = std::unique_ptr<TIFF, TiffCloser>;

struct TiffOptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// Opens a TIFF file without any message of libtiff's; `mode` as for TIFFOpen. Inline, since the
// GeoTIFF plugin opens the files it tags this way too.
inline TiffPointer OpenTiff(const char* path, const char* mode) {
  const std::unique_ptr<TIFFOpenOptions, TiffOptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), SilenceTiff, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), SilenceTiff, nullptr);
  return TiffPointer(TIFFOpenExt(path, mode, options.get()));
}

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
// reference with a number that is not finite, and any reference when the GeoTIFF plugin is
// missing; kFileOpen when the file is not a TIFF it can update.
Outcome AddGeoReference(const char* path, const GeoReference& reference);

}  // namespace pixkit
