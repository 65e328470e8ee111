#include "jpeg_stripe.h"

// jpeglib.h needs the standard types declared first.
#include <jpeglib.h>
// jerror.h after jpeglib.h.
#include <jerror.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <exception>
#include <new>

namespace pixkit {

namespace {

// Rows handed to libjpeg per call: one MCU row with 1x1 sampling.
constexpr int32_t kRowsPerCall = 8;
constexpr size_t kFirstOutputBytes = 4 * 1024;

// libjpeg reports a failure by calling error_exit, which jumps back to the encoder.
struct JumpingErrors {
  jpeg_error_mgr manager{};
  std::jmp_buf back{};
};

[[noreturn]] void JumpBack(j_common_ptr jpeg) {
  std::longjmp(reinterpret_cast<JumpingErrors*>(jpeg->err)->back, 1);
}

void Silence(j_common_ptr) {}

// libjpeg's output, collected in a vector that doubles when full.
struct VectorDestination {
  jpeg_destination_mgr manager{};  // first, so that libjpeg's pointer to it leads here
  std::vector<uint8_t>* bytes = nullptr;
  bool out_of_memory = false;
};

VectorDestination& DestinationOf(j_compress_ptr jpeg) {
  return *reinterpret_cast<VectorDestination*>(jpeg->dest);
}

bool TryResize(std::vector<uint8_t>& bytes, size_t size) noexcept {
  try {
    bytes.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Hands libjpeg the room after the bytes it has written, doubling the vector.
void Grow(j_compress_ptr jpeg) {
  VectorDestination& destination = DestinationOf(jpeg);
  std::vector<uint8_t>& bytes = *destination.bytes;
  const size_t written = bytes.size() - destination.manager.free_in_buffer;
  if (!TryResize(bytes, std::max(kFirstOutputBytes, 2 * bytes.size()))) {
    destination.out_of_memory = true;
    ERREXIT(jpeg, JERR_OUT_OF_MEMORY);
  }
  destination.manager.next_output_byte = bytes.data() + written;
  destination.manager.free_in_buffer = bytes.size() - written;
}

void StartOutput(j_compress_ptr jpeg) {
  DestinationOf(jpeg).bytes->clear();
  DestinationOf(jpeg).manager.free_in_buffer = 0;
  Grow(jpeg);
}

boolean OutputFull(j_compress_ptr jpeg) {
  // The whole vector is written, whatever free_in_buffer still says: libjpeg's entropy coder
  // keeps its own count and hands it back only after the call.
  DestinationOf(jpeg).manager.free_in_buffer = 0;
  Grow(jpeg);
  return TRUE;
}

void EndOutput(j_compress_ptr jpeg) {
  VectorDestination& destination = DestinationOf(jpeg);
  destination.bytes->resize(destination.bytes->size() - destination.manager.free_in_buffer);
}

struct JpegCompress {
  jpeg_compress_struct jpeg{};
  JumpingErrors errors;
  VectorDestination destination;
  ~JpegCompress() { jpeg_destroy_compress(&jpeg); }
};

// The stripe's file into compress.destination. Failures jump back here, so nothing in this
// function may need destroying; `grey_rows` holds kRowsPerCall lines of a grey picture.
bool EncodeRows(JpegCompress& compress, const DibImage& image, RowRange rows, JpegCoding coding,
                std::vector<JSAMPLE>& grey_rows) {
  jpeg_compress_struct& jpeg = compress.jpeg;
  jpeg.err = jpeg_std_error(&compress.errors.manager);
  compress.errors.manager.error_exit = JumpBack;
  compress.errors.manager.output_message = Silence;
  if (setjmp(compress.errors.back) != 0) return false;
  jpeg_create_compress(&jpeg);
  compress.destination.manager.init_destination = StartOutput;
  compress.destination.manager.empty_output_buffer = OutputFull;
  compress.destination.manager.term_destination = EndOutput;
  jpeg.dest = &compress.destination.manager;
  jpeg.image_width = static_cast<JDIMENSION>(image.width());
  jpeg.image_height = static_cast<JDIMENSION>(rows.end - rows.first);
  jpeg.input_components = coding.grey ? 1 : 3;
  jpeg.in_color_space = coding.grey ? JCS_GRAYSCALE : JCS_EXT_BGR;  // the rows as they are stored
  jpeg_set_defaults(&jpeg);
  jpeg_set_quality(&jpeg, kJpegQuality, TRUE);
  // Full-resolution chroma: coastlines and grid lines one pixel wide keep their colour.
  for (int c = 0; c < jpeg.num_components; ++c) {
    jpeg.comp_info[c].h_samp_factor = 1;
    jpeg.comp_info[c].v_samp_factor = 1;
  }
  jpeg.restart_interval = coding.restart_interval;
  jpeg_start_compress(&jpeg, TRUE);
  std::array<JSAMPROW, kRowsPerCall> lines{};
  const size_t width = static_cast<size_t>(image.width());
  while (jpeg.next_scanline < jpeg.image_height) {
    const int32_t first = rows.first + static_cast<int32_t>(jpeg.next_scanline);
    const int32_t count = std::min(kRowsPerCall, rows.end - first);
    for (int32_t i = 0; i < count; ++i) {
      const uint8_t* row = image.Row(first + i);
      JSAMPROW& line = lines[static_cast<size_t>(i)];
      if (coding.grey) {  // grey pixels carry their value three times; one is kept
        line = grey_rows.data() + width * static_cast<size_t>(i);
        GreyValues(row, image.width(), line);
      } else {
        line = const_cast<JSAMPROW>(row);  // libjpeg only reads its input rows
      }
    }
    jpeg_write_scanlines(&jpeg, lines.data(), static_cast<JDIMENSION>(count));
  }
  jpeg_finish_compress(&jpeg);
  return true;
}

}  // namespace

JpegStripe EncodeJpegStripe(const DibImage& image, RowRange rows, JpegCoding coding) {
  JpegStripe stripe;
  try {
    std::vector<JSAMPLE> grey_rows(coding.grey ? static_cast<size_t>(image.width()) * kRowsPerCall
                                               : 0);
    JpegCompress compress;
    compress.destination.bytes = &stripe.file;
    if (!EncodeRows(compress, image, rows, coding, grey_rows)) {
      stripe.outcome =
          compress.destination.out_of_memory ? Outcome::kMemoryAllocate : Outcome::kDataWrite;
    }
  } catch (const std::exception&) {  // memory: no exception may leave the stripe's thread
    stripe.outcome = Outcome::kMemoryAllocate;
  }
  return stripe;
}

}  // namespace pixkit
