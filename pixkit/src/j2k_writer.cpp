#include "j2k_writer.h"

#include <openjpeg.h>

#include <algorithm>
#include <bit>
#include <vector>

#include "row_stripes.h"

namespace pixkit {

namespace {

// The picture is encoded tile by tile, so that the encoder holds one tile's samples at a time.
constexpr uint32_t kTileSide = 1024;
constexpr uint32_t kMaxResolutions = 6;
constexpr OPJ_SIZE_T kStreamBufferBytes = 1 << 20;

struct CodecDeleter {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct ImageDeleter {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};

// The output stream over our own file, so that a failure to complete the file is seen.
OPJ_SIZE_T WriteBytes(void* data, OPJ_SIZE_T size, void* file) {
  const size_t written = std::fwrite(data, 1, size, static_cast<std::FILE*>(file));
  return written == size ? written : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T SkipBytes(OPJ_OFF_T bytes, void* file) {
  return fseeko(static_cast<std::FILE*>(file), bytes, SEEK_CUR) == 0 ? bytes : -1;
}

OPJ_BOOL SeekTo(OPJ_OFF_T offset, void* file) {
  return fseeko(static_cast<std::FILE*>(file), offset, SEEK_SET) == 0;
}

std::unique_ptr<opj_stream_t, StreamDeleter> FileStream(std::FILE* file) {
  std::unique_ptr<opj_stream_t, StreamDeleter> stream(opj_stream_create(kStreamBufferBytes, false));
  if (stream == nullptr) return nullptr;
  opj_stream_set_user_data(stream.get(), file, nullptr);
  opj_stream_set_write_function(stream.get(), WriteBytes);
  opj_stream_set_skip_function(stream.get(), SkipBytes);
  opj_stream_set_seek_function(stream.get(), SeekTo);
  return stream;
}

void Ignore(const char*, void*) {}

// Lossless: the reversible wavelet, one quality layer without a rate, and for RGB the
// reversible colour transform. Tiles as large as the picture allows, and no more resolution
// levels than the smaller tile side can halve into.
opj_cparameters_t LosslessParameters(const DibImage& image, bool grey) {
  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.irreversible = 0;
  parameters.tcp_numlayers = 1;
  parameters.tcp_rates[0] = 0;
  parameters.cp_disto_alloc = 1;
  parameters.tcp_mct = grey ? 0 : 1;
  parameters.tile_size_on = OPJ_TRUE;
  parameters.cp_tdx = static_cast<int>(std::min(kTileSide, static_cast<uint32_t>(image.width())));
  parameters.cp_tdy = static_cast<int>(std::min(kTileSide, static_cast<uint32_t>(image.height())));
  const auto smaller_side = static_cast<uint32_t>(std::min(parameters.cp_tdx, parameters.cp_tdy));
  parameters.numresolution = static_cast<int>(
      std::min(kMaxResolutions, static_cast<uint32_t>(std::bit_width(smaller_side))));
  return parameters;
}

std::unique_ptr<opj_image_t, ImageDeleter> DescribeImage(const DibImage& image, bool grey) {
  const uint32_t components = grey ? 1 : 3;
  std::vector<opj_image_cmptparm_t> parameters(components);
  for (opj_image_cmptparm_t& component : parameters) {
    component.dx = 1;
    component.dy = 1;
    component.w = static_cast<OPJ_UINT32>(image.width());
    component.h = static_cast<OPJ_UINT32>(image.height());
    component.prec = 8;
    component.sgnd = 0;
  }
  std::unique_ptr<opj_image_t, ImageDeleter> description(opj_image_tile_create(
      components, parameters.data(), grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
  if (description == nullptr) return nullptr;
  description->x1 = static_cast<OPJ_UINT32>(image.width());
  description->y1 = static_cast<OPJ_UINT32>(image.height());
  return description;
}

// The samples of one tile, component after component, line after line: grey values, or the red,
// then the green, then the blue plane.
void FillTile(const DibImage& image, bool grey, uint32_t x0, uint32_t y0, uint32_t width,
              uint32_t height, std::vector<OPJ_BYTE>& samples) {
  const size_t plane = size_t{width} * height;
  samples.resize(plane * (grey ? 1 : 3));
  OPJ_BYTE* out = samples.data();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* bgr = image.Row(static_cast<int32_t>(y0 + y)) + 3 * size_t{x0};
    for (uint32_t x = 0; x < width; ++x, bgr += 3, ++out) {
      if (grey) {
        out[0] = bgr[0];
      } else {
        out[0] = bgr[2];
        out[plane] = bgr[1];
        out[2 * plane] = bgr[0];
      }
    }
  }
}

bool EncodeTiles(opj_codec_t* codec, opj_stream_t* stream, const DibImage& image, bool grey,
                 uint32_t tile_width, uint32_t tile_height) {
  const auto width = static_cast<uint32_t>(image.width());
  const auto height = static_cast<uint32_t>(image.height());
  std::vector<OPJ_BYTE> samples;
  uint32_t tile = 0;
  for (uint32_t y0 = 0; y0 < height; y0 += tile_height) {
    for (uint32_t x0 = 0; x0 < width; x0 += tile_width, ++tile) {
      FillTile(image, grey, x0, y0, std::min(tile_width, width - x0),
               std::min(tile_height, height - y0), samples);
      if (!opj_write_tile(codec, tile, samples.data(), static_cast<OPJ_UINT32>(samples.size()),
                          stream)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

Outcome WriteJ2k(const char* path, const DibImage& image) {
  const bool grey = IsGrey(image);
  opj_cparameters_t parameters = LosslessParameters(image, grey);
  const std::unique_ptr<opj_image_t, ImageDeleter> description = DescribeImage(image, grey);
  const std::unique_ptr<opj_codec_t, CodecDeleter> codec(opj_create_compress(OPJ_CODEC_JP2));
  if (description == nullptr || codec == nullptr) return Outcome::kMemoryAllocate;
  opj_set_error_handler(codec.get(), Ignore, nullptr);
  opj_set_warning_handler(codec.get(), Ignore, nullptr);
  opj_set_info_handler(codec.get(), Ignore, nullptr);
  if (!opj_setup_encoder(codec.get(), &parameters, description.get())) return Outcome::kUnsupported;
  // The code blocks of a tile are encoded on every processor; without threads, on this one.
  opj_codec_set_threads(codec.get(), UsableProcessors());

  FilePointer file(std::fopen(path, "wb"));
  if (file == nullptr) return Outcome::kFileCreate;
  const std::unique_ptr<opj_stream_t, StreamDeleter> stream = FileStream(file.get());
  if (stream == nullptr) return Outcome::kMemoryAllocate;
  const bool encoded =
      opj_start_compress(codec.get(), description.get(), stream.get()) &&
      EncodeTiles(codec.get(), stream.get(), image, grey, static_cast<uint32_t>(parameters.cp_tdx),
                  static_cast<uint32_t>(parameters.cp_tdy)) &&
      opj_end_compress(codec.get(), stream.get());
  return CloseFile(std::move(file)) && encoded ? Outcome::kWritten : Outcome::kDataWrite;
}

}  // namespace pixkit
