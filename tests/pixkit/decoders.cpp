#include "pixkit/decoders.h"

#include <gif_lib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <set>
#include <stdexcept>

// jpeglib.h needs the standard types declared first.
#include <jpeglib.h>

#include "support/source_file_builder.h"

namespace nephrax::testing {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error("cannot read " + what + " " + path);
}

constexpr uint8_t kMarker = 0xff;
constexpr uint8_t kStartOfScan = 0xda;
constexpr uint8_t kFirstRestart = 0xd0;
constexpr uint8_t kLastRestart = 0xd7;

// libjpeg reports a failure by calling error_exit, which jumps back to the reader.
struct JumpingErrors {
  jpeg_error_mgr manager{};
  std::jmp_buf back{};
};

[[noreturn]] void JumpBack(j_common_ptr jpeg) {
  std::longjmp(reinterpret_cast<JumpingErrors*>(jpeg->err)->back, 1);
}

void Silence(j_common_ptr) {}

struct JpegDecompress {
  jpeg_decompress_struct jpeg{};
  JumpingErrors errors;
  ~JpegDecompress() { jpeg_destroy_decompress(&jpeg); }
};

// Decodes `bytes` as red, green, blue rows into `samples` and the layout into `file`; false on
// an error or a warning. Failures jump back here, so nothing in this function may need
// destroying.
bool ReadJpeg(JpegDecompress& decompress, const std::vector<uint8_t>& bytes, JpegFile& file,
              std::vector<uint8_t>& samples) {
  jpeg_decompress_struct& jpeg = decompress.jpeg;
  jpeg.err = jpeg_std_error(&decompress.errors.manager);
  decompress.errors.manager.error_exit = JumpBack;
  decompress.errors.manager.output_message = Silence;
  if (setjmp(decompress.errors.back) != 0) return false;
  jpeg_create_decompress(&jpeg);
  jpeg_mem_src(&jpeg, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&jpeg, TRUE);
  jpeg.out_color_space = JCS_RGB;
  jpeg_start_decompress(&jpeg);
  file.components = jpeg.num_components;
  file.mcus_per_row = jpeg.MCUs_per_row;
  file.mcu_rows = jpeg.MCU_rows_in_scan;
  file.restart_interval = jpeg.restart_interval;
  const size_t row_bytes = size_t{jpeg.output_width} * 3;
  samples.resize(row_bytes * jpeg.output_height);
  while (jpeg.output_scanline < jpeg.output_height) {
    JSAMPROW row = samples.data() + row_bytes * jpeg.output_scanline;
    jpeg_read_scanlines(&jpeg, &row, 1);
  }
  file.picture.width = static_cast<int32_t>(jpeg.output_width);
  file.picture.height = static_cast<int32_t>(jpeg.output_height);
  jpeg_finish_decompress(&jpeg);
  return decompress.errors.manager.num_warnings == 0;
}

// The numbers of the restart markers in the entropy-coded data after the first scan header,
// where a 0xff byte of the data is followed by 0 and one of a marker by the marker's code.
std::vector<int> RestartMarkers(const std::vector<uint8_t>& bytes) {
  size_t at = 2;  // after SOI
  while (at + 4 <= bytes.size() && bytes[at + 1] != kStartOfScan) {
    at += 2 + (size_t{bytes[at + 2]} << 8 | bytes[at + 3]);
  }
  if (at + 4 <= bytes.size()) at += 2 + (size_t{bytes[at + 2]} << 8 | bytes[at + 3]);
  std::vector<int> numbers;
  for (; at + 1 < bytes.size(); ++at) {
    const uint8_t code = bytes[at + 1];
    if (bytes[at] == kMarker && code >= kFirstRestart && code <= kLastRestart) {
      numbers.push_back(code - kFirstRestart);
    }
  }
  return numbers;
}

}  // namespace

PngFile DecodePng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) Fail("PNG", path);
  PngFile png;
  png.palette = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
  std::vector<uint8_t> samples;
  if (png.palette) {
    image.format = PNG_FORMAT_RGB_COLORMAP;
    std::vector<uint8_t> colour_map(PNG_IMAGE_COLORMAP_SIZE(image));
    samples.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, samples.data(), 0, colour_map.data())) {
      Fail("PNG", path);
    }
    for (uint32_t i = 0; i < image.colormap_entries; ++i) {
      png.colours.push_back(Rgb{colour_map[3 * i], colour_map[3 * i + 1], colour_map[3 * i + 2]});
    }
    png.picture =
        Picture{static_cast<int32_t>(image.width), static_cast<int32_t>(image.height), {}};
    for (const uint8_t index : samples) png.picture.pixels.push_back(png.colours.at(index));
    return png;
  }
  image.format = PNG_FORMAT_RGB;
  samples.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, samples.data(), 0, nullptr)) Fail("PNG", path);
  png.picture = Picture{static_cast<int32_t>(image.width), static_cast<int32_t>(image.height), {}};
  for (size_t i = 0; i < samples.size(); i += 3) {
    png.picture.pixels.push_back(Rgb{samples[i], samples[i + 1], samples[i + 2]});
  }
  return png;
}

GifFile DecodeGif(const std::string& path) {
  int error = 0;
  const std::unique_ptr<GifFileType, void (*)(GifFileType*)> gif(
      DGifOpenFileName(path.c_str(), &error), [](GifFileType* g) { DGifCloseFile(g, nullptr); });
  if (gif == nullptr || DGifSlurp(gif.get()) != GIF_OK) Fail("GIF", path);
  GifFile out;
  out.width = gif->SWidth;
  out.height = gif->SHeight;
  out.global_colours = gif->SColorMap != nullptr ? gif->SColorMap->ColorCount : 0;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& saved = gif->SavedImages[i];
    for (int e = 0; e + 1 < saved.ExtensionBlockCount; ++e) {
      const ExtensionBlock& block = saved.ExtensionBlocks[e];
      const ExtensionBlock& next = saved.ExtensionBlocks[e + 1];
      if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
          std::string(reinterpret_cast<const char*>(block.Bytes), 11) == "NETSCAPE2.0" &&
          next.ByteCount == 3 && next.Bytes[0] == 1) {
        out.loop_count = next.Bytes[1] | next.Bytes[2] << 8;
      }
    }
    GifFrame frame;
    GraphicsControlBlock control{};
    if (DGifSavedExtensionToGCB(gif.get(), i, &control) == GIF_OK) frame.delay = control.DelayTime;
    const ColorMapObject* map =
        saved.ImageDesc.ColorMap != nullptr ? saved.ImageDesc.ColorMap : gif->SColorMap;
    frame.local_colours =
        saved.ImageDesc.ColorMap != nullptr ? saved.ImageDesc.ColorMap->ColorCount : 0;
    if (map == nullptr) Fail("GIF colours of", path);
    frame.picture = Picture{saved.ImageDesc.Width, saved.ImageDesc.Height, {}};
    for (int p = 0; p < saved.ImageDesc.Width * saved.ImageDesc.Height; ++p) {
      const GifColorType& c = map->Colors[saved.RasterBits[p]];
      frame.picture.pixels.push_back(Rgb{c.Red, c.Green, c.Blue});
    }
    out.frames.push_back(std::move(frame));
  }
  return out;
}

JpegFile DecodeJpeg(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  JpegFile file;
  std::vector<uint8_t> samples;
  JpegDecompress decompress;
  if (!ReadJpeg(decompress, bytes, file, samples)) Fail("JPEG", path);
  for (size_t i = 0; i < samples.size(); i += 3) {
    file.picture.pixels.push_back(Rgb{samples[i], samples[i + 1], samples[i + 2]});
  }
  file.restart_markers = RestartMarkers(bytes);
  return file;
}

size_t CountColours(const Picture& picture) {
  std::set<uint32_t> colours;
  for (const Rgb& c : picture.pixels) colours.insert(uint32_t{c.red} << 16 | c.green << 8 | c.blue);
  return colours.size();
}

}  // namespace nephrax::testing
