#include "png_writer.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <optional>
#include <span>
#include <vector>

#include "exact_palette.h"
#include "row_stripes.h"

namespace pixkit {

namespace {

// Satellite pictures change little from one row to the next, and a stretched picture repeats
// pixels: each row as its difference from the row above ("Up"), deflated as runs only, gives
// smaller files than deflate's default search at a fraction of its time. The rows are deflated
// in stripes, one per processor, whose streams join into the one zlib stream of the picture.
constexpr uint8_t kUpFilter = 2;
constexpr int32_t kMinStripeRows = 256;
constexpr size_t kDeflateOutputBytes = 256 * 1024;
constexpr size_t kIdatBytes = 1 << 20;
constexpr std::array<uint8_t, 2> kZlibHeader{0x78, 0x01};  // deflate, 32 KB window

// The samples of one line: palette indexes, or red, green, blue for each pixel.
class LineSamples {
 public:
  LineSamples(const DibImage& image, const ExactPalette* palette)
      : image_(image), palette_(palette) {}
  size_t bytes() const { return static_cast<size_t>(image_.width()) * (palette_ ? 1 : 3); }

  void Fill(int32_t y, std::span<uint8_t> samples) const {
    if (palette_ != nullptr) {
      palette_->IndexLine(image_, y, samples);
      return;
    }
    const uint8_t* bgr = image_.Row(y);
    for (size_t i = 0; i < samples.size(); i += 3, bgr += 3) {
      samples[i] = bgr[2];
      samples[i + 1] = bgr[1];
      samples[i + 2] = bgr[0];
    }
  }

 private:
  const DibImage& image_;
  const ExactPalette* palette_;
};

// One stripe of filtered rows as raw deflate data; all but the last stripe end on a byte
// boundary without closing the stream, so that the stripes join.
struct DeflatedStripe {
  std::vector<uint8_t> bytes;
  uLong adler = adler32(0, nullptr, 0);  // of the filtered rows
  uLong filtered_bytes = 0;
  bool failed = false;
};

struct DeflateEnder {
  void operator()(z_stream* stream) const { deflateEnd(stream); }
};

// Deflates what is in stream.next_in (all of it) into `out` through `buffer`, with `flush`.
bool Deflate(z_stream& stream, int flush, std::vector<uint8_t>& buffer, std::vector<uint8_t>& out) {
  do {
    stream.next_out = buffer.data();
    stream.avail_out = static_cast<uInt>(buffer.size());
    const int result = deflate(&stream, flush);
    if (result == Z_STREAM_ERROR) return false;
    out.insert(out.end(), buffer.data(), stream.next_out);
  } while (stream.avail_out == 0);
  return true;
}

void DeflateRows(const LineSamples& lines, RowRange rows, bool last, DeflatedStripe& stripe) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK) {
    stripe.failed = true;
    return;
  }
  const std::unique_ptr<z_stream, DeflateEnder> ender(&stream);
  const size_t bytes = lines.bytes();
  std::vector<uint8_t> above(bytes, 0);  // the row above the first one is taken as zeros
  std::vector<uint8_t> current(bytes);
  std::vector<uint8_t> filtered(bytes + 1);
  std::vector<uint8_t> buffer(kDeflateOutputBytes);
  filtered[0] = kUpFilter;
  if (rows.first > 0) lines.Fill(rows.first - 1, above);
  for (int32_t y = rows.first; y < rows.end; ++y) {
    lines.Fill(y, current);
    for (size_t i = 0; i < bytes; ++i) {
      filtered[i + 1] = static_cast<uint8_t>(current[i] - above[i]);
    }
    std::swap(above, current);
    stripe.adler = adler32(stripe.adler, filtered.data(), static_cast<uInt>(filtered.size()));
    stripe.filtered_bytes += filtered.size();
    stream.next_in = filtered.data();
    stream.avail_in = static_cast<uInt>(filtered.size());
    if (!Deflate(stream, Z_NO_FLUSH, buffer, stripe.bytes)) {
      stripe.failed = true;
      return;
    }
  }
  stripe.failed = !Deflate(stream, last ? Z_FINISH : Z_SYNC_FLUSH, buffer, stripe.bytes);
}

// The picture's zlib stream, in pieces: the stripes with the zlib header before the first and
// the checksum after the last. None when memory ran out.
std::optional<std::vector<DeflatedStripe>> DeflatePicture(const LineSamples& lines,
                                                          int32_t height) {
  const std::vector<RowRange> ranges = SplitIntoStripes(height, kMinStripeRows);
  std::vector<DeflatedStripe> stripes(ranges.size());
  RunConcurrently(ranges.size(), [&](size_t i) {
    try {
      DeflateRows(lines, ranges[i], i + 1 == ranges.size(), stripes[i]);
    } catch (const std::exception&) {  // memory: no exception may leave the thread
      stripes[i].failed = true;
    }
  });
  uLong adler = stripes[0].adler;
  for (size_t i = 0; i < stripes.size(); ++i) {
    if (stripes[i].failed) return std::nullopt;
    if (i > 0) {
      adler =
          adler32_combine(adler, stripes[i].adler, static_cast<z_off_t>(stripes[i].filtered_bytes));
    }
  }
  std::vector<uint8_t>& first = stripes.front().bytes;
  first.insert(first.begin(), kZlibHeader.begin(), kZlibHeader.end());
  for (int shift = 24; shift >= 0; shift -= 8) {
    stripes.back().bytes.push_back(static_cast<uint8_t>(adler >> shift));
  }
  return stripes;
}

[[noreturn]] void FailPng(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngWrite() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, FailPng, IgnoreWarning);
    if (png != nullptr) info = png_create_info_struct(png);
  }
  ~PngWrite() { png_destroy_write_struct(&png, &info); }
  PngWrite(const PngWrite&) = delete;
  PngWrite& operator=(const PngWrite&) = delete;
};

// libpng writes the signature, the header chunks and the image data, in chunks of at most 1 MB,
// and the end. It reports failures by a long jump back here, so nothing in this function may
// need destroying.
bool WriteChunks(PngWrite& write, std::FILE* file, const DibImage& image,
                 const std::vector<png_color>& palette,
                 const std::vector<DeflatedStripe>& stripes) {
  static constexpr png_byte kIdat[] = "IDAT";
  static constexpr png_byte kIend[] = "IEND";
  png_structp png = write.png;
  png_infop info = write.info;
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()),
               static_cast<png_uint_32>(image.height()), 8,
               palette.empty() ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_write_info(png, info);
  for (const DeflatedStripe& stripe : stripes) {
    for (size_t at = 0; at < stripe.bytes.size(); at += kIdatBytes) {
      png_write_chunk(png, kIdat, stripe.bytes.data() + at,
                      std::min(kIdatBytes, stripe.bytes.size() - at));
    }
  }
  png_write_chunk(png, kIend, nullptr, 0);
  return true;
}

}  // namespace

Outcome WritePng(const char* path, const DibImage& image) {
  const std::optional<ExactPalette> palette = ExactPalette::Find(image);
  std::vector<png_color> plte;
  if (palette) {
    for (const Rgb& colour : palette->colours()) {
      plte.push_back(png_color{colour.red, colour.green, colour.blue});
    }
  }
  const std::optional<std::vector<DeflatedStripe>> stripes =
      DeflatePicture(LineSamples(image, palette ? &*palette : nullptr), image.height());
  PngWrite write;
  if (!stripes || write.info == nullptr) return Outcome::kMemoryAllocate;
  FilePointer file(std::fopen(path, "wb"));
  if (file == nullptr) return Outcome::kFileCreate;
  const bool written = WriteChunks(write, file.get(), image, plte, *stripes);
  return CloseFile(std::move(file)) && written ? Outcome::kWritten : Outcome::kDataWrite;
}

}  // namespace pixkit
