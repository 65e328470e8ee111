// libpixkit_geotiff.so: the GeoTIFF tags of a TIFF through libgeotiff, for libpixkit.so, which
// loads this plugin when it first writes a GeoTIFF. Only PixkitAddGeoTiffTags is exported.
#include <geotiff/geotiffio.h>
#include <geotiff/xtiffio.h>

#include <array>
#include <type_traits>

#include "geotiff_plugin.h"

using pixkit::GeoReference;
using pixkit::Outcome;

extern "C" __attribute__((visibility("default"))) Outcome PixkitAddGeoTiffTags(
    const char* path, const GeoReference* reference) {
  XTIFFInitialize();  // teaches libtiff the GeoTIFF tags
  pixkit::TiffPointer tiff = pixkit::OpenTiff(path, "r+");
  if (tiff == nullptr) return Outcome::kFileOpen;
  // Pixels are areas: the tie point is the outer corner of the first pixel, half a step beyond
  // its centre.
  const std::array<double, 3> scale{reference->longitude_step, reference->latitude_step, 0};
  const std::array<double, 6> tie_point{0,
                                        0,
                                        0,
                                        reference->left_longitude - reference->longitude_step / 2,
                                        reference->top_latitude + reference->latitude_step / 2,
                                        0};
  if (!TIFFSetField(tiff.get(), TIFFTAG_GEOPIXELSCALE, 3, scale.data()) ||
      !TIFFSetField(tiff.get(), TIFFTAG_GEOTIEPOINTS, 6, tie_point.data())) {
    return Outcome::kDataWrite;
  }
  GTIF* keys = GTIFNew(tiff.get());
  if (keys == nullptr) return Outcome::kMemoryAllocate;
  const bool keys_set = GTIFKeySet(keys, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeGeographic) &&
                        GTIFKeySet(keys, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea) &&
                        GTIFKeySet(keys, GeographicTypeGeoKey, TYPE_SHORT, 1, GCS_WGS_84) &&
                        GTIFKeySet(keys, GeogAngularUnitsGeoKey, TYPE_SHORT, 1, Angular_Degree) &&
                        GTIFWriteKeys(keys);
  GTIFFree(keys);
  if (!keys_set) return Outcome::kDataWrite;
  return TIFFRewriteDirectory(tiff.get()) == 1 ? Outcome::kWritten : Outcome::kDataWrite;
}

static_assert(std::is_same_v<decltype(PixkitAddGeoTiffTags), pixkit::GeoTiffTagger>,
              "the exported function has the type the library looks it up as");
