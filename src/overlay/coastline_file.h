// Reading a coastline file image: the whole file in memory (zero-filled to 1024 bytes or more, as
// the program holds it). Byte 0 says whether the records carry element types; the records start at
// byte 16 and run to a record whose marker is 0. Every field is an int16, little-endian; angles
// are in hundredths of a degree, longitudes east and latitudes north positive.
//
//   record  0 marker (0 ends the list)   2 element type
//           4 longitude A, 6 longitude B (the record's extent, in either order)
//           8 lowest latitude, 10 highest latitude
//          12 point count n, 14 n points of longitude, latitude
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace nephrax {

inline constexpr size_t kCoastlineHeaderSize = 16;
inline constexpr size_t kCoastlineRecordHeaderSize = 14;
inline constexpr size_t kCoastlinePointSize = 4;

struct CoastlinePoint {
  int32_t lon = 0;
  int32_t lat = 0;

  bool operator==(const CoastlinePoint&) const = default;
};

// One record, its points still in the file image: `point_bytes` holds exactly its n points.
struct CoastlineRecord {
  int32_t element_type = 0;
  int32_t lon_a = 0;
  int32_t lon_b = 0;
  int32_t lowest_lat = 0;
  int32_t highest_lat = 0;
  std::span<const uint8_t> point_bytes;

  size_t PointCount() const { return point_bytes.size() / kCoastlinePointSize; }
  CoastlinePoint Point(size_t index) const;
};

// How a walk through the records ended.
enum class CoastlineEnd {
  kEndMarker,      // at a zero marker: the whole list was read
  kEndOfData,      // the data ended before a record or a marker did (a file shorter than 16 bytes
                   // included); the records read so far were whole
  kNegativeCount,  // a record gave a point count below 0, so where the next one starts is unknown
};

// Whether the element mask applies to the file's records (its first byte is nonzero).
bool CoastlineHasElementTypes(std::span<const uint8_t> image);

// Calls `visit` with each whole record, in file order, and says why the walk stopped. Nothing
// outside `image` is read: a record whose header or points run past its end is not visited.
CoastlineEnd ForEachCoastlineRecord(std::span<const uint8_t> image,
                                    const std::function<void(const CoastlineRecord&)>& visit);

}  // namespace nephrax
