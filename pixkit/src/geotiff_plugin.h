// The GeoTIFF plugin, libpixkit_geotiff.so: the one part of the library that needs libgeotiff,
// whose forty-odd dependencies (coordinate transformations, a database, network access) would
// otherwise be loaded with libpixkit.so by every run, GeoTIFF or not. The library loads it from
// its own directory the first time a GeoTIFF is written.
#pragma once

#include "outcome.h"
#include "tiff_writer.h"

namespace pixkit {

// The plugin's file, beside libpixkit.so, and the one function it exports.
inline constexpr char kGeoTiffPluginFile[] = "libpixkit_geotiff.so";
inline constexpr char kGeoTiffTaggerName[] = "PixkitAddGeoTiffTags";

// The exported function: AddGeoReference once the reference's numbers are known to be finite.
extern "C" typedef Outcome GeoTiffTagger(const char* path, const GeoReference* reference);

// The plugin's function, the plugin loaded on the first call; null when the plugin cannot be
// loaded or lacks the function.
GeoTiffTagger* LoadGeoTiffTagger();

}  // namespace pixkit
