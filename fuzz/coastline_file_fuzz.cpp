// Feeds arbitrary bytes to the coastline record walk, as they are and zero-filled to 1024 bytes as
// the program holds a coastline file, and reads every point of every record it is given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "overlay/coastline_file.h"

namespace {

void WalkAndReadEveryPoint(std::span<const uint8_t> image) {
  nephrax::CoastlineHasElementTypes(image);
  size_t walked = nephrax::kCoastlineHeaderSize;
  nephrax::ForEachCoastlineRecord(image, [&](const nephrax::CoastlineRecord& record) {
    walked += nephrax::kCoastlineRecordHeaderSize + record.point_bytes.size();
    for (size_t j = 0; j < record.PointCount(); ++j) {
      // Stored where the optimiser cannot drop the reads, so that each one is checked.
      volatile int32_t lon = record.Point(j).lon;
      volatile int32_t lat = record.Point(j).lat;
      static_cast<void>(lon);
      static_cast<void>(lat);
    }
  });
  // The records handed out lie one after another inside the image.
  if (walked > std::max(image.size(), nephrax::kCoastlineHeaderSize)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WalkAndReadEveryPoint({data, size});
  std::vector<uint8_t> held(data, data + size);
  held.resize(std::max<size_t>(size, 1024), 0);
  WalkAndReadEveryPoint(held);
  return 0;
}
