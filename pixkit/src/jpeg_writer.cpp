#include "jpeg_writer.h"

// jpeglib.h needs the standard types declared first.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace pixkit {

namespace {

constexpr int32_t kMaxSide = JPEG_MAX_DIMENSION;

// libjpeg reports a failure by calling error_exit, which jumps back to the encoder.
struct JumpingErrors {
  jpeg_error_mgr manager{};
  std::jmp_buf back{};
};

[[noreturn]] void JumpBack(j_common_ptr jpeg) {
  std::longjmp(reinterpret_cast<JumpingErrors*>(jpeg->err)->back, 1);
}

void Silence(j_common_ptr) {}

struct JpegCompress {
  jpeg_compress_struct jpeg{};
  JumpingErrors errors;
  ~JpegCompress() { jpeg_destroy_compress(&jpeg); }
};

// Grey pixels carry their value three times; one is kept.
void TakeGrey(const uint8_t* bgr, std::vector<JSAMPLE>& grey) {
  for (JSAMPLE& value : grey) {
    value = *bgr;
    bgr += 3;
  }
}

// The whole file on an open stream. Failures jump back here, so nothing in this function may
// need destroying.
bool EncodeJpeg(JpegCompress& compress, std::FILE* file, const DibImage& image, bool grey,
                std::vector<JSAMPLE>& grey_line) {
  jpeg_compress_struct& jpeg = compress.jpeg;
  jpeg.err = jpeg_std_error(&compress.errors.manager);
  compress.errors.manager.error_exit = JumpBack;
  compress.errors.manager.output_message = Silence;
  if (setjmp(compress.errors.back) != 0) return false;
  jpeg_create_compress(&jpeg);
  jpeg_stdio_dest(&jpeg, file);
  jpeg.image_width = static_cast<JDIMENSION>(image.width());
  jpeg.image_height = static_cast<JDIMENSION>(image.height());
  jpeg.input_components = grey ? 1 : 3;
  jpeg.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;  // the rows as they are stored
  jpeg_set_defaults(&jpeg);
  jpeg_set_quality(&jpeg, kJpegQuality, TRUE);
  // Full-resolution chroma: coastlines and grid lines one pixel wide keep their colour.
  for (int c = 0; c < jpeg.num_components; ++c) {
    jpeg.comp_info[c].h_samp_factor = 1;
    jpeg.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&jpeg, TRUE);
  while (jpeg.next_scanline < jpeg.image_height) {
    const uint8_t* row = image.Row(static_cast<int32_t>(jpeg.next_scanline));
    JSAMPROW line = grey_line.data();
    if (grey) {
      TakeGrey(row, grey_line);
    } else {
      line = const_cast<JSAMPROW>(row);  // libjpeg only reads its input rows
    }
    jpeg_write_scanlines(&jpeg, &line, 1);
  }
  jpeg_finish_compress(&jpeg);
  return true;
}

}  // namespace

Outcome WriteJpeg(const char* path, const DibImage& image) {
  if (image.width() > kMaxSide || image.height() > kMaxSide) return Outcome::kUnsupported;
  const bool grey = IsGrey(image);
  std::vector<JSAMPLE> grey_line(grey ? static_cast<size_t>(image.width()) : 0);
  FilePointer file(std::fopen(path, "wb"));
  if (file == nullptr) return Outcome::kFileCreate;
  JpegCompress compress;
  const bool encoded = EncodeJpeg(compress, file.get(), image, grey, grey_line);
  return CloseFile(std::move(file)) && encoded ? Outcome::kWritten : Outcome::kDataWrite;
}

}  // namespace pixkit
