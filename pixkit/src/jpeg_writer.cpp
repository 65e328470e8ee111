#include "jpeg_writer.h"

// jpeglib.h needs the standard types declared first.
#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "jpeg_stripe.h"
#include "row_stripes.h"

namespace pixkit {

namespace {

// The picture is encoded in stripes of whole MCU rows (8 pixel rows with 1x1 sampling), each
// stripe on its own as libjpeg writes a picture, and their entropy-coded data is joined with
// restart markers between them. A restart interval of one stripe's MCUs makes that one stream:
// each stripe ends on a byte boundary padded with 1-bits and starts its DC predictions at 0,
// exactly as at a restart marker. All stripes but the last are of the same height, so that the
// one interval fits them all.
constexpr int32_t kMaxSide = JPEG_MAX_DIMENSION;
constexpr int32_t kMcuSide = 8;
// Half a million pixels a stripe: enough for the setting up of each stripe's encoder (its buffers
// are fresh memory) to cost a few per cent at most, and enough stripes to share out evenly among
// the processors. At most 65535, the longest restart interval.
constexpr int32_t kStripeMcus = 8192;
constexpr uint8_t kMarker = 0xff;
constexpr uint8_t kStartOfFrame = 0xc0;  // baseline
constexpr uint8_t kStartOfScan = 0xda;
constexpr int kRestartNumbers = 8;  // RST0..RST7, over and over
constexpr size_t kEndOfImageBytes = 2;

struct StripePlan {
  std::vector<RowRange> rows;
  JpegCoding coding;
};

StripePlan PlanStripes(const DibImage& image, bool grey) {
  const int32_t mcus_per_row = (image.width() + kMcuSide - 1) / kMcuSide;
  const int32_t mcu_rows = std::max(1, kStripeMcus / mcus_per_row);
  StripePlan plan{SplitIntoStripesOf(image.height(), mcu_rows * kMcuSide), JpegCoding{grey, 0}};
  if (plan.rows.size() > 1) {
    plan.coding.restart_interval = static_cast<uint16_t>(mcu_rows * mcus_per_row);
  }
  return plan;
}

// Where the parts of a stripe's file lie: the height in its frame header, and its entropy-coded
// data, from the end of the scan header to the EOI marker that closes the file.
struct StripeLayout {
  size_t frame_height = 0;
  size_t scan = 0;
};

// Walks the marker segments from SOI to the scan header; none when the file is not laid out as
// libjpeg writes a baseline picture.
std::optional<StripeLayout> FindLayout(std::span<const uint8_t> file) {
  constexpr size_t kSoiBytes = 2;
  constexpr size_t kHeightInFrame = 5;  // marker, segment length, sample precision
  std::optional<size_t> frame_height;
  size_t at = kSoiBytes;
  while (at + 4 <= file.size() && file[at] == kMarker) {
    const uint8_t code = file[at + 1];
    const size_t segment = 2 + (size_t{file[at + 2]} << 8 | file[at + 3]);
    if (code == kStartOfFrame) frame_height = at + kHeightInFrame;
    at += segment;
    if (code == kStartOfScan) {
      if (!frame_height || at + kEndOfImageBytes > file.size()) break;
      return StripeLayout{*frame_height, at};
    }
  }
  return std::nullopt;
}

bool WriteAll(std::FILE* file, std::span<const uint8_t> bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// The headers of the first stripe with the picture's height, then the stripes' entropy-coded
// data with a restart marker in place of each EOI but the last.
bool WriteJoined(std::FILE* file, int32_t height, std::vector<JpegStripe>& stripes,
                 const std::vector<StripeLayout>& layouts) {
  std::vector<uint8_t>& first = stripes.front().file;
  first[layouts.front().frame_height] = static_cast<uint8_t>(height >> 8);
  first[layouts.front().frame_height + 1] = static_cast<uint8_t>(height);
  bool written = WriteAll(file, std::span(first).first(layouts.front().scan));
  for (size_t i = 0; i < stripes.size() && written; ++i) {
    const bool last = i + 1 == stripes.size();
    const std::span<const uint8_t> from_scan = std::span(stripes[i].file).subspan(layouts[i].scan);
    written = WriteAll(file, from_scan.first(from_scan.size() - (last ? 0 : kEndOfImageBytes)));
    const std::array<uint8_t, 2> restart{kMarker,
                                         static_cast<uint8_t>(JPEG_RST0 + i % kRestartNumbers)};
    if (!last && written) written = WriteAll(file, restart);
  }
  return written;
}

}  // namespace

Outcome WriteJpeg(const char* path, const DibImage& image) {
  if (image.width() > kMaxSide || image.height() > kMaxSide) return Outcome::kUnsupported;
  const StripePlan plan = PlanStripes(image, IsGrey(image));
  FilePointer file(std::fopen(path, "wb"));
  if (file == nullptr) return Outcome::kFileCreate;
  std::vector<JpegStripe> stripes(plan.rows.size());
  RunQueued(stripes.size(),
            [&](size_t i) { stripes[i] = EncodeJpegStripe(image, plan.rows[i], plan.coding); });
  std::vector<StripeLayout> layouts;
  for (const JpegStripe& stripe : stripes) {
    if (stripe.outcome != Outcome::kWritten) return stripe.outcome;
    const std::optional<StripeLayout> layout = FindLayout(stripe.file);
    if (!layout) return Outcome::kDataWrite;
    layouts.push_back(*layout);
  }
  const bool written = WriteJoined(file.get(), image.height(), stripes, layouts);
  return CloseFile(std::move(file)) && written ? Outcome::kWritten : Outcome::kDataWrite;
}

}  // namespace pixkit
