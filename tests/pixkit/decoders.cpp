#include "pixkit/decoders.h"

#include <gif_lib.h>
#include <png.h>

#include <memory>
#include <set>
#include <stdexcept>

namespace nephrax::testing {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error("cannot read " + what + " " + path);
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

size_t CountColours(const Picture& picture) {
  std::set<uint32_t> colours;
  for (const Rgb& c : picture.pixels) colours.insert(uint32_t{c.red} << 16 | c.green << 8 | c.blue);
  return colours.size();
}

}  // namespace nephrax::testing
