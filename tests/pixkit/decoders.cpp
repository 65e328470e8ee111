#include "pixkit/decoders.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>
#include <tiffio.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <set>
#include <stdexcept>

namespace nephrax::testing {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error("cannot read " + what + " " + path);
}

Picture FromSamples(int32_t width, int32_t height, const uint8_t* samples, int channels) {
  Picture picture{width, height, {}};
  picture.pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
    const uint8_t* s = samples + i * static_cast<size_t>(channels);
    picture.pixels.push_back(channels == 1 ? Rgb{s[0], s[0], s[0]} : Rgb{s[0], s[1], s[2]});
  }
  return picture;
}

struct JpegErrors {
  jpeg_error_mgr manager{};
  std::jmp_buf back{};
};

[[noreturn]] void JumpBack(j_common_ptr jpeg) {
  std::longjmp(reinterpret_cast<JpegErrors*>(jpeg->err)->back, 1);
}

struct JpegDecompress {
  jpeg_decompress_struct jpeg{};
  JpegErrors errors;
  ~JpegDecompress() { jpeg_destroy_decompress(&jpeg); }
};

// Decodes into `samples` (RGB); nothing here may need destroying, for the long jump back.
bool ReadJpeg(JpegDecompress& d, std::FILE* file, std::vector<uint8_t>& samples, JpegFile& out) {
  d.jpeg.err = jpeg_std_error(&d.errors.manager);
  d.errors.manager.error_exit = JumpBack;
  if (setjmp(d.errors.back) != 0) return false;
  jpeg_create_decompress(&d.jpeg);
  jpeg_stdio_src(&d.jpeg, file);
  jpeg_read_header(&d.jpeg, TRUE);
  out.components = d.jpeg.num_components;
  d.jpeg.out_color_space = JCS_RGB;
  jpeg_start_decompress(&d.jpeg);
  const size_t row = static_cast<size_t>(d.jpeg.output_width) * 3;
  samples.resize(row * d.jpeg.output_height);
  while (d.jpeg.output_scanline < d.jpeg.output_height) {
    JSAMPROW line = samples.data() + row * d.jpeg.output_scanline;
    jpeg_read_scanlines(&d.jpeg, &line, 1);
  }
  out.picture.width = static_cast<int32_t>(d.jpeg.output_width);
  out.picture.height = static_cast<int32_t>(d.jpeg.output_height);
  jpeg_finish_decompress(&d.jpeg);
  return true;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

void Ignore(const char*, void*) {}

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
  png.picture = FromSamples(static_cast<int32_t>(image.width), static_cast<int32_t>(image.height),
                            samples.data(), 3);
  return png;
}

JpegFile DecodeJpeg(const std::string& path) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (file == nullptr) Fail("JPEG", path);
  JpegFile jpeg;
  std::vector<uint8_t> samples;
  JpegDecompress decompress;
  if (!ReadJpeg(decompress, file.get(), samples, jpeg)) Fail("JPEG", path);
  jpeg.picture = FromSamples(jpeg.picture.width, jpeg.picture.height, samples.data(), 3);
  return jpeg;
}

TiffFile DecodeTiff(const std::string& path) {
  const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "r"), TIFFClose);
  if (tiff == nullptr) Fail("TIFF", path);
  TiffFile out;
  uint32_t width = 0;
  uint32_t height = 0;
  TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
  TIFFGetField(tiff.get(), TIFFTAG_COMPRESSION, &out.compression);
  TIFFGetField(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &out.samples_per_pixel);
  std::vector<uint32_t> raster(static_cast<size_t>(width) * height);
  if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT,
                                 0)) {
    Fail("TIFF", path);
  }
  out.picture = Picture{static_cast<int32_t>(width), static_cast<int32_t>(height), {}};
  for (const uint32_t abgr : raster) {
    out.picture.pixels.push_back(Rgb{static_cast<uint8_t>(TIFFGetR(abgr)),
                                     static_cast<uint8_t>(TIFFGetG(abgr)),
                                     static_cast<uint8_t>(TIFFGetB(abgr))});
  }
  return out;
}

Jp2File DecodeJp2(const std::string& path) {
  const std::unique_ptr<opj_stream_t, void (*)(opj_stream_t*)> stream(
      opj_stream_create_default_file_stream(path.c_str(), OPJ_TRUE), opj_stream_destroy);
  const std::unique_ptr<opj_codec_t, void (*)(opj_codec_t*)> codec(
      opj_create_decompress(OPJ_CODEC_JP2), opj_destroy_codec);
  if (stream == nullptr || codec == nullptr) Fail("JPEG 2000", path);
  opj_set_error_handler(codec.get(), Ignore, nullptr);
  opj_set_warning_handler(codec.get(), Ignore, nullptr);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  opj_image_t* raw = nullptr;
  if (!opj_setup_decoder(codec.get(), &parameters) ||
      !opj_read_header(stream.get(), codec.get(), &raw)) {
    Fail("JPEG 2000", path);
  }
  const std::unique_ptr<opj_image_t, void (*)(opj_image_t*)> image(raw, opj_image_destroy);
  if (!opj_decode(codec.get(), stream.get(), image.get()) ||
      !opj_end_decompress(codec.get(), stream.get())) {
    Fail("JPEG 2000", path);
  }
  Jp2File out;
  out.components = static_cast<int>(image->numcomps);
  const int32_t width = static_cast<int32_t>(image->comps[0].w);
  const int32_t height = static_cast<int32_t>(image->comps[0].h);
  out.picture = Picture{width, height, {}};
  for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
    const auto sample = [&](uint32_t c) {
      return static_cast<uint8_t>(image->comps[out.components == 1 ? 0 : c].data[i]);
    };
    out.picture.pixels.push_back(Rgb{sample(0), sample(1), sample(2)});
  }
  return out;
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
