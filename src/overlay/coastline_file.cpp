#include "overlay/coastline_file.h"

#include "core/bytes.h"

namespace nephrax {

namespace {

int32_t ReadI16At(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int16_t>(ReadU16Le(bytes, offset));
}

}  // namespace

CoastlinePoint CoastlineRecord::Point(size_t index) const {
  const size_t offset = index * kCoastlinePointSize;
  return {ReadI16At(point_bytes, offset), ReadI16At(point_bytes, offset + 2)};
}

bool CoastlineHasElementTypes(std::span<const uint8_t> image) {
  return !image.empty() && image[0] != 0;
}

CoastlineEnd ForEachCoastlineRecord(std::span<const uint8_t> image,
                                    const std::function<void(const CoastlineRecord&)>& visit) {
  size_t offset = kCoastlineHeaderSize;
  while (true) {
    if (image.size() < offset + 2) return CoastlineEnd::kEndOfData;
    if (ReadI16At(image, offset) == 0) return CoastlineEnd::kEndMarker;
    if (image.size() - offset < kCoastlineRecordHeaderSize) return CoastlineEnd::kEndOfData;
    const std::span<const uint8_t> header = image.subspan(offset, kCoastlineRecordHeaderSize);
    const int32_t count = ReadI16At(header, 12);
    if (count < 0) return CoastlineEnd::kNegativeCount;
    offset += kCoastlineRecordHeaderSize;
    const size_t points_size = static_cast<size_t>(count) * kCoastlinePointSize;
    if (image.size() - offset < points_size) return CoastlineEnd::kEndOfData;
    visit({.element_type = ReadI16At(header, 2),
           .lon_a = ReadI16At(header, 4),
           .lon_b = ReadI16At(header, 6),
           .lowest_lat = ReadI16At(header, 8),
           .highest_lat = ReadI16At(header, 10),
           .point_bytes = image.subspan(offset, points_size)});
    offset += points_size;
  }
}

}  // namespace nephrax
