// The picture writer: a finished surface becomes the destination file, as a BMP written here or,
// for the other formats, through the image-format library.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings.h"
#include "output/geo_reference.h"
#include "output/image_library.h"
#include "output/output_format.h"
#include "pixkit.h"
#include "render/surface.h"

namespace nephrax {

inline constexpr uint32_t kBiRgb = 0;  // uncompressed DIB rows

// A BITMAPINFOHEADER: the image-format library's own, so that it is handed over as it is.
using DibHeader = PixkitBitmapInfoHeader;
static_assert(sizeof(DibHeader) == 40);

// The header of the surface's pixels. The surface is true colour, so every picture is 24-bit
// BI_RGB without a colour table; the image size is the row bytes ((width * 24 + 31) / 32) * 4
// times the height.
DibHeader MakeDibHeader(const Surface& surface);

// Writes the surface to `destination` in `format` and tells whether the file was written; a
// failure prints its message (the library prints its own). BMP and RLE both become an
// uncompressed 24-bit BMP; the other formats need the library's converter ("Support error."
// without it). A GIF is quantised as the GifOpt setting asks; a TIFF gets GeoTIFF tags placing
// it on `area` when GeoTif is on. The file is written under a temporary name and replaces the
// destination only when complete, so a failed write leaves no partial picture and keeps any
// earlier one.
bool WritePicture(const Surface& surface, const std::string& destination, OutputFormat format,
                  const ImageLibrary& library, const Settings& settings, const GeoArea& area);

// Hands the surface to the library's animated-GIF writer as a frame of the open animation
// `handle`, shown for `delay` hundredths of a second; true when the frame was written. The
// library must have the animation entry points.
bool WriteAnimationFrame(const Surface& surface, const ImageLibrary& library, int32_t handle,
                         int32_t delay);

}  // namespace nephrax
