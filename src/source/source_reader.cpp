#include "source/source_reader.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <optional>

#include "calsun/display_tables.h"
#include "calsun/visible_correction.h"
#include "core/messages.h"
#include "platform/huge_pages.h"
#include "platform/parallel_bands.h"

namespace nephrax {

namespace {

constexpr int64_t kRecordUnit = 256;
constexpr const char kVersion11[] = "1.1";
constexpr double kEarthRadiusKm = 6378.136;

struct SourceSize {
  int64_t width;
  int64_t height;
};

SourceSize SourceSizeOf(const ControlBlock& block) {
  if (block.IsGrid()) return {block.Int(cb::kGridPixels), block.Int(cb::kGridLines)};
  // Satellite-view sizes are signed; a negative line count only orders the line times.
  return {std::abs(int64_t{block.Int(cb::kViewPixels)}),
          std::abs(int64_t{block.Int(cb::kViewLines)})};
}

int64_t BytesPerPixel(const ControlBlock& block) {
  return block.Is16Bit() ? 2 : 1;
}

int64_t RecordLength(const ControlBlock& block) {
  return kRecordUnit * int64_t{block.Int(cb::kRecordUnits)};
}

size_t RowStride(int64_t width) {
  return static_cast<size_t>((width + 3) / 4 * 4);
}

// The file format itself does not bound its fields. A block whose fields contradict each other,
// or ask for more than can be read or held, is refused before anything else is read:
// - at most 2 bytes per pixel, and counts first..last within what a pixel can hold (16-bit
//   counts below 16384, the size of the count-to-index table);
// - a calibration block that holds a value for every count first..last;
// - records that hold the length word and a whole line;
// - positive sizes, and grid steps that give a finite picture size.
bool IsLayoutSound(const ControlBlock& block) {
  if (block.Int(cb::kBytesPerPixel) > 2) return false;
  const int64_t first = block.FirstCount();
  const int64_t last = block.LastCount();
  const int64_t count_limit = block.Is16Bit() ? kCountTableSize : 256;
  if (first < 0 || first > last || last >= count_limit) return false;
  if (CalibrationBlockSize(block.Int(cb::kCalibrationSize)) < 4 * (last - first + 1) + 4)
    return false;

  const SourceSize size = SourceSizeOf(block);
  if (size.width < 1 || size.height < 1 || size.width > kMaxImageSide ||
      size.height > kMaxImageSide)
    return false;
  const int64_t pixel_bytes = BytesPerPixel(block);
  if (static_cast<int64_t>(RowStride(size.width)) * pixel_bytes * size.height > kMaxImageBytes)
    return false;
  if (RecordLength(block) < 4 + size.width * pixel_bytes) return false;

  if (block.IsGrid()) {
    const float dx = block.Real(cb::kLonStep);
    const float dy = block.Real(cb::kLatStep);
    if (!std::isfinite(dx) || !std::isfinite(dy) || dx <= 0 || dy <= 0) return false;
  }
  return true;
}

bool IsVersion11(const ControlBlock& block) {
  return block.Text(cb::kVersion, cb::kVersionLength) == kVersion11;
}

void TakeSatellitePosition(const ControlBlock& block, Settings& settings) {
  settings.SatLat = block.Real(cb::kSubSatelliteLat);
  settings.SatLon = block.Real(cb::kSubSatelliteLon);
  // The block gives the distance from the Earth's centre in metres; the setting is the height
  // above the surface in kilometres.
  const float distance_km = block.Real(cb::kSatelliteDistance) / 1000.0F;
  settings.SatAlt = static_cast<float>(static_cast<double>(distance_km) - kEarthRadiusKm);
}

// Output side along the finer axis, so that the picture's pixels cover equal angles in both
// directions. Returns 0 when the steps ask for a side beyond kMaxImageSide.
int64_t StretchedSide(int64_t points, double step, double other_step) {
  const double side = static_cast<double>(points - 1) * step / other_step;
  if (!(side < static_cast<double>(kMaxImageSide))) return 0;
  return static_cast<int64_t>(side) + 1;
}

// How the counts of an image are held: counts outside first..last are held to them, a reversed
// calibration table mirrors them, and the no-data mark (when the image has one) keeps its value.
template <typename Count>
struct CountLimits {
  Count first;
  Count last;
  bool reversed;
  bool keep_no_data;
  Count no_data;
};

template <typename Count, bool kReversed>
Count NormalizedCount(Count count, const CountLimits<Count>& limits) {
  const Count held = std::clamp(count, limits.first, limits.last);
  const Count shown = kReversed ? static_cast<Count>(limits.last + limits.first - held) : held;
  return limits.keep_no_data && count == limits.no_data ? count : shown;
}

// The counts of one record, little-endian in the file, normalised into an image row. One pass
// while the record is fresh in the cache; without branches, so that it vectorises.
template <typename Count, bool kReversed>
void NormalizeLineAs(const uint8_t* bytes, Count* row, size_t width,
                     const CountLimits<Count>& limits) {
  for (size_t i = 0; i < width; ++i) {
    Count count = bytes[i * sizeof(Count)];
    if constexpr (sizeof(Count) == 2) {
      count = static_cast<Count>(count | bytes[i * 2 + 1] << 8);
    }
    row[i] = NormalizedCount<Count, kReversed>(count, limits);
  }
}

template <typename Count>
void NormalizeLine(std::span<const uint8_t> bytes, Count* row, const CountLimits<Count>& limits) {
  const size_t width = bytes.size() / sizeof(Count);
  if (limits.reversed) {
    NormalizeLineAs<Count, true>(bytes.data(), row, width, limits);
  } else {
    NormalizeLineAs<Count, false>(bytes.data(), row, width, limits);
  }
}

template <typename Count>
Count NormalizedZero(const CountLimits<Count>& limits) {
  return limits.reversed ? NormalizedCount<Count, true>(0, limits)
                         : NormalizedCount<Count, false>(0, limits);
}

// Sizes `counts` for the image and fills every row with a normalised 0.
template <typename Count>
bool AllocateCounts(const SourceImage& image, const CountLimits<Count>& limits,
                    std::vector<Count>& counts) {
  const size_t size = image.stride * static_cast<size_t>(image.height);
  try {
    // Allocated first and filled after: the advice must come before the first write.
    std::vector<Count> fresh;
    fresh.reserve(size);
    AdviseHugePages(fresh.data(), size * sizeof(Count));
    fresh.assign(size, NormalizedZero(limits));
    counts = std::move(fresh);
  } catch (const std::bad_alloc&) {
    PrintMessage(msg::kMemoryAllocate);
    return false;
  }
  return true;
}

// Reads the records into `counts`, each normalised as it is read: record i is picture line i,
// the bottom-up buffer's row height - 1 - i. Lines are read in order, a run at a time; the first
// record that is cut short or has the wrong length ends the image, and the lines from there on
// keep their normalised 0.
template <typename Count>
class RecordReader {
 public:
  RecordReader(const LzFile& file, const ControlBlock& block, const SourceImage& image,
               const CountLimits<Count>& limits, std::vector<Count>& counts)
      : file_(file),
        image_(image),
        limits_(limits),
        counts_(counts),
        record_length_(RecordLength(block)),
        first_offset_(kControlBlockSize + CalibrationBlockSize(block.Int(cb::kCalibrationSize))),
        line_(4 + static_cast<size_t>(image.width) * sizeof(Count)) {}

  void ReadLines(int64_t first_line, int64_t end_line) {
    const std::span<const uint8_t> pixels = std::span<const uint8_t>(line_).subspan(4);
    for (int64_t i = first_line; i < end_line && !ended_; ++i) {
      const int64_t offset = first_offset_ + i * record_length_;
      if (offset + record_length_ > static_cast<int64_t>(file_.Size())) {
        ended_ = true;
        break;
      }
      file_.ReadAt(static_cast<uint64_t>(offset), line_);
      if (int64_t{ReadI32Le(line_, 0)} != record_length_) {
        PrintMessage(msg::kImageBlock);
        ended_ = true;
        break;
      }
      const size_t row = static_cast<size_t>(image_.height - 1 - i) * image_.stride;
      NormalizeLine(pixels, counts_.data() + row, limits_);
    }
  }

 private:
  const LzFile& file_;
  const SourceImage& image_;
  const CountLimits<Count> limits_;
  std::vector<Count>& counts_;
  const int64_t record_length_;
  const int64_t first_offset_;
  std::vector<uint8_t> line_;
  bool ended_ = false;
};

// About this many bytes of counts are read before they are handed on, so that they are still in
// the cache when their next user takes them.
constexpr size_t kHandOnBytes = size_t{256} << 10;

template <typename Count>
void ReadRecordsInto(const LzFile& file, const ControlBlock& block, const SourceImage& image,
                     const CountLimits<Count>& limits, std::vector<Count>& counts,
                     const LineWork& lines_read) {
  RecordReader<Count> reader(file, block, image, limits, counts);
  if (!lines_read) {
    reader.ReadLines(0, image.height);
    return;
  }
  const auto lines_per_step =
      static_cast<int64_t>(std::max<size_t>(1, kHandOnBytes / (image.stride * sizeof(Count))));
  ProduceAndConsume(
      image.height, lines_per_step,
      [&](int64_t first_line, int64_t end_line) { reader.ReadLines(first_line, end_line); },
      lines_read);
}

// The limits of an image's counts, from its control block.
template <typename Count>
CountLimits<Count> CountLimitsOf(const ControlBlock& block) {
  const bool reversed = block.HasFlag(kReversedTableFlag);
  if constexpr (sizeof(Count) == 2) {
    return {static_cast<uint16_t>(block.FirstCount()), static_cast<uint16_t>(block.LastCount()),
            reversed, true, kNoDataCount16};
  } else {
    return {static_cast<uint8_t>(block.FirstCount()), static_cast<uint8_t>(block.LastCount()),
            reversed, block.HasFlag(kNoDataFlag), 255};
  }
}

}  // namespace

int64_t CalibrationBlockSize(int32_t n) {
  return (4 * int64_t{n} + 263) / 256 * 256;
}

bool ReadControlBlock(const LzFile& file, const ChannelTable& channels, Settings& settings,
                      ControlBlock& block) {
  block = ControlBlock{};
  const size_t got = file.ReadAt(0, block.bytes);
  const int32_t channel = LookupChannel(channels, ChannelText(block));
  if (got < kControlBlockSize || block.Int(cb::kBlockLength) != int32_t{kControlBlockSize}) {
    PrintMessage(msg::kControlBlock);
    return false;
  }
  if (channel < 0 || channel >= kRadarChannel) return false;
  if (!IsLayoutSound(block)) {
    PrintMessage(msg::kControlBlock);
    return false;
  }
  block.flags = 0;
  if (IsVersion11(block)) {
    TakeSatellitePosition(block, settings);
    block.flags |= kNoDataFlag;
  }
  block.channel_index = channel;
  return true;
}

bool ReadCalibrationBlock(const LzFile& file, ControlBlock& block, Calibration& calibration) {
  const int64_t block_size = CalibrationBlockSize(block.Int(cb::kCalibrationSize));
  const size_t count = static_cast<size_t>(block.LastCount() - block.FirstCount() + 1);
  // Only the length word and the values are read; the padding after them need only be present.
  std::vector<uint8_t> bytes(4 + 4 * count);
  if (static_cast<int64_t>(file.Size()) < int64_t{kControlBlockSize} + block_size ||
      file.ReadAt(kControlBlockSize, bytes) < bytes.size() ||
      int64_t{ReadI32Le(bytes, 0)} != block_size) {
    PrintMessage(msg::kCalibrationBlock);
    return false;
  }
  calibration.first = block.FirstCount();
  calibration.last = block.LastCount();
  calibration.values.resize(count);
  for (size_t k = 0; k < count; ++k) calibration.values[k] = ReadF32Le(bytes, 4 + 4 * k);
  OrderCalibration(calibration, block);
  return true;
}

void OrderCalibration(Calibration& calibration, ControlBlock& block) {
  std::vector<float>& values = calibration.values;
  // A falling table (infrared temperatures) is reversed so that every table is ascending; the
  // counts are mirrored to match when the image is normalised. NaN compares as not falling.
  if (!values.empty() && values.front() > values.back()) {
    block.flags |= kReversedTableFlag;
    std::reverse(values.begin(), values.end());
  } else {
    block.flags &= ~kReversedTableFlag;
  }
}

bool ComputeImageSize(const ControlBlock& block, Settings& settings, Geometry& geometry) {
  const SourceSize size = SourceSizeOf(block);
  int64_t width = size.width;
  int64_t height = size.height;
  if (block.IsGrid()) {
    const double dx = block.Real(cb::kLonStep);
    const double dy = block.Real(cb::kLatStep);
    if (dy > dx) {
      height = StretchedSide(size.height, dy, dx);
    } else {
      width = StretchedSide(size.width, dx, dy);
    }
    if (width == 0 || height == 0) {
      PrintMessage(msg::kControlBlock);
      return false;
    }
  }
  geometry.source_width = static_cast<int32_t>(size.width);
  geometry.source_height = static_cast<int32_t>(size.height);
  if (settings.Width > 0 && settings.Height > 0) {
    geometry.output_width = settings.Width;
    geometry.output_height = settings.Height;
  } else {
    // The first file fixes the picture size for the rest of the run.
    geometry.output_width = settings.Width = static_cast<int32_t>(width);
    geometry.output_height = settings.Height = static_cast<int32_t>(height);
  }
  return true;
}

void SizeImage(const ControlBlock& block, SourceImage& image) {
  const SourceSize size = SourceSizeOf(block);
  image.width = static_cast<int32_t>(size.width);
  image.height = static_cast<int32_t>(size.height);
  image.stride = RowStride(size.width);
}

bool AllocateImage(const ControlBlock& block, SourceImage& image) {
  if (BytesPerPixel(block) == 2)
    return AllocateCounts(image, CountLimitsOf<uint16_t>(block), image.counts16);
  return AllocateCounts(image, CountLimitsOf<uint8_t>(block), image.counts8);
}

void ReadImageRecords(const LzFile& file, const ControlBlock& block, SourceImage& image,
                      const LineWork& lines_read) {
  if (BytesPerPixel(block) == 2) {
    ReadRecordsInto(file, block, image, CountLimitsOf<uint16_t>(block), image.counts16,
                    lines_read);
  } else {
    ReadRecordsInto(file, block, image, CountLimitsOf<uint8_t>(block), image.counts8, lines_read);
  }
}

bool ReadSourceFile(const std::string& path, const ChannelTable& channels, Settings& settings,
                    DisplayTables& tables, SourceData& source) {
  source = SourceData{};
  // Opened once: a compressed file is expanded a single time for all three blocks.
  const std::unique_ptr<LzFile> file = LzFile::Open(path);
  if (!file) {
    PrintMessage(msg::kFileOpen);
    return false;
  }
  if (!ReadControlBlock(*file, channels, settings, source.control) ||
      !ReadCalibrationBlock(*file, source.control, source.calibration)) {
    return false;
  }
  const ChannelSettings& channel =
      settings.channels[static_cast<size_t>(source.control.channel_index)];
  BuildDisplayTables(source.control, source.calibration, channel, tables);
  if (!ComputeImageSize(source.control, settings, source.geometry)) return false;
  SizeImage(source.control, source.image);
  // A channel the correction leaves alone is drawn as read.
  std::optional<VisibleCorrection> correction =
      settings.Vadj ? PrepareVisibleCorrection(source.control, source.calibration, channel,
                                               SatelliteViewOf(settings), source.image)
                    : std::nullopt;
  // The correction's geometry needs no counts: it is worked out while the image's memory is made
  // ready, and the correction follows the reading a run of lines behind, while they are still in
  // the cache.
  bool allocated = false;
  std::atomic<bool> allocation_done = false;
  RunConcurrently(correction ? 2 : 1, [&](size_t task) {
    if (task == 0) {
      allocated = AllocateImage(source.control, source.image);
      allocation_done = true;
    } else {
      correction->SampleAhead(allocation_done);
    }
  });
  if (!allocated) return false;
  ReadImageRecords(*file, source.control, source.image,
                   correction ? LineWork([&](int64_t first_line, int64_t end_line) {
                     correction->CorrectLines(source.image, first_line, end_line);
                   })
                              : LineWork());
  return true;
}

}  // namespace nephrax
