/* pixkit: the image-format library of nephrax.
 *
 * Writes a picture handed over as a device-independent bitmap (a BITMAPINFOHEADER and its rows of
 * blue, green, red bytes) as JPEG, PNG, GIF, JPEG 2000 or TIFF, adds GeoTIFF tags to a TIFF, and
 * writes animated GIFs frame by frame. It is loaded at run time (dlopen) and called through the
 * entry points below, looked up by name; the function types serve the lookups.
 *
 * Pictures: 24 bits per pixel, uncompressed (BI_RGB, no colour table), each row padded to a
 * multiple of 4 bytes; a positive height means the bottom row comes first, a negative one the top
 * row. Anything else is refused. The first argument of the converters and of the animation calls
 * is reserved; pass 0.
 *
 * What is written:
 *   PNG        lossless; 8-bit palette when the picture has at most 256 colours (ordered by
 *              colour, so a grey picture's indexes rise with the grey), else 24-bit RGB. Rows
 *              filtered by their difference from the row above ("Up") and deflated by zlib as
 *              runs only (Z_RLE), in stripes of rows on all processors that join into one zlib
 *              stream: on satellite pictures smaller than deflate at its default setting and
 *              several times faster.
 *   JPEG       quality 90, baseline; one grey component when every pixel is grey, else YCbCr
 *              with full-resolution chroma, so that lines one pixel wide keep their colour.
 *              Encoded in stripes of rows on all processors, joined into one stream by
 *              restart markers between the stripes (a restart interval of one stripe).
 *   GIF        the exact palette when the picture has at most 256 colours; else a median-cut
 *              palette of 256 colours, with Floyd-Steinberg dithering when SetQntHiQt is on
 *              (the default) and without it, mapped box by box, when it is off.
 *   JPEG 2000  lossless (reversible 5/3 wavelet and colour transform), JP2 container, one grey
 *              component or three RGB ones, in tiles of 1024 x 1024 pixels so that memory stays
 *              near the size of the picture itself, encoded on all processors.
 *   TIFF       Deflate (level 6) with horizontal differencing, strips of about 256 KB; 8-bit
 *              grey when every pixel is grey, else 24-bit RGB.
 *   GeoTIFF    geographic WGS 84 coordinates in degrees (see SetGeoTiff), tagged by the plugin
 *              libpixkit_geotiff.so, which the library loads from its own directory when it first
 *              tags a TIFF; without the plugin SetGeoTiff fails with "Support error.".
 *   animated GIF  a looping extension (repeat for ever), each frame full size with its own
 *              palette (exact or quantised as for GIF), the delay in hundredths of a second.
 *
 * Results: nonzero on success, 0 on failure, which is reported on standard error as one line in
 * the words of nephrax's own messages ("File create error.", "File open error." for a file
 * SetGeoTiff cannot update, "Data write error.", "Memory allocate error.", "Support error." for
 * arguments or a picture the format cannot take) unless SetMsgLng turned messages off.
 */
#ifndef PIXKIT_H
#define PIXKIT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(PIXKIT_BUILDING)
#define PIXKIT_API __attribute__((visibility("default")))
#else
#define PIXKIT_API
#endif

/* The file name the program loads. */
#define PIXKIT_LIBRARY_NAME "libpixkit.so"

/* BITMAPINFOHEADER, field for field in its stored order (40 bytes). */
typedef struct PixkitBitmapInfoHeader {
  uint32_t size;
  int32_t width;
  int32_t height;
  uint16_t planes;
  uint16_t bit_count;
  uint32_t compression;
  uint32_t image_size;
  int32_t x_pels_per_meter;
  int32_t y_pels_per_meter;
  uint32_t colours_used;
  uint32_t colours_important;
} PixkitBitmapInfoHeader;

/* Messages: 0 (the default) prints them in English, the library's only language; any other
 * value keeps the library silent, for hosts that report failures themselves. */
PIXKIT_API void SetMsgLng(int32_t language);

/* Quantiser of GIF pictures and frames with more than 256 colours: nonzero (the default) the
 * best quality (median cut with dithering), 0 the fast one (median cut without dithering). */
PIXKIT_API void SetQntHiQt(int32_t high_quality);

/* Writes the picture to `path` in the converter's format; nonzero when the file is complete. */
PIXKIT_API int32_t CnvBmpJpeg(int32_t reserved, const char* path,
                              const PixkitBitmapInfoHeader* header, const uint8_t* bits);
PIXKIT_API int32_t CnvBmpPng(int32_t reserved, const char* path,
                             const PixkitBitmapInfoHeader* header, const uint8_t* bits);
PIXKIT_API int32_t CnvBmpGif(int32_t reserved, const char* path,
                             const PixkitBitmapInfoHeader* header, const uint8_t* bits);
PIXKIT_API int32_t CnvBmpJ2k(int32_t reserved, const char* path,
                             const PixkitBitmapInfoHeader* header, const uint8_t* bits);
PIXKIT_API int32_t CnvBmpTif(int32_t reserved, const char* path,
                             const PixkitBitmapInfoHeader* header, const uint8_t* bits);

/* Adds GeoTIFF tags to the TIFF file at `path`. `parameters` holds four finite numbers: the
 * latitude and longitude of the centre of the top-left pixel, the latitude step from one line
 * to the next (positive when latitude falls down the picture) and the longitude step from one
 * pixel to the next, in degrees. */
PIXKIT_API int32_t SetGeoTiff(int32_t reserved, const char* path, const double* parameters);

/* Animated GIF: OpenAgif creates the file for frames of width x height pixels and returns a
 * handle (negative on failure); PutAgif adds a frame of that size shown for `delay` hundredths of
 * a second (0..65535) and returns nonzero when it was written; CloseAgif completes the file and
 * forgets the handle, returning nonzero when the file is complete (0 for a handle that is not
 * open). A frame that fails leaves the animation open so that it can still be closed. */
PIXKIT_API int32_t OpenAgif(int32_t reserved, const char* path, int32_t height, int32_t width);
PIXKIT_API int32_t PutAgif(int32_t reserved, const PixkitBitmapInfoHeader* header,
                           const uint8_t* bits, int32_t handle, int32_t delay);
PIXKIT_API int32_t CloseAgif(int32_t reserved, int32_t handle);

/* The entry points' types, for looking them up. */
typedef void PixkitSetMsgLng(int32_t);
typedef void PixkitSetQntHiQt(int32_t);
typedef int32_t PixkitConverter(int32_t, const char*, const PixkitBitmapInfoHeader*,
                                const uint8_t*);
typedef int32_t PixkitSetGeoTiff(int32_t, const char*, const double*);
typedef int32_t PixkitOpenAgif(int32_t, const char*, int32_t, int32_t);
typedef int32_t PixkitPutAgif(int32_t, const PixkitBitmapInfoHeader*, const uint8_t*, int32_t,
                              int32_t);
typedef int32_t PixkitCloseAgif(int32_t, int32_t);

#ifdef __cplusplus
}
#endif

#endif /* PIXKIT_H */
