#include "overlay/draw_coastlines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <span>
#include <string>

#include "overlay/coastline_file.h"
#include "overlay/grid_layout.h"
#include "platform/system_info.h"
#include "render/draw_line.h"

namespace nephrax {

namespace {

// Finest first; each file serves the scales (hundredths of a degree per pixel) below its limit,
// the last every coarser scale.
constexpr std::array<std::string_view, 3> kFileNames{"msMap2.dat", "msMap9.dat", "msMap30.dat"};
constexpr std::array<int32_t, 2> kScaleLimits{5, 20};

constexpr size_t kMinimumDataSize = 1024;
constexpr size_t kBatchPoints = 1024;

// Element mask bits: types 1 and 2 share bit 0, types 3 to 6 take bits 2 to 5; bit 15 selects
// every record. Only the low 16 bits of Elem count, and a negative Elem means the default.
constexpr uint32_t kEveryElement = 0x8000;
constexpr uint32_t kElementMaskBits = 0xFFFF;
constexpr int32_t kDefaultElem = 5;

bool HasExtent(const AreaFrame& frame) {
  return frame.lat_span != 0 && frame.lon_span != 0 && frame.width_less_one > 0 &&
         frame.height_less_one > 0;
}

// The picture's scale: the mean of the hundredths of a degree per pixel across and down.
int32_t HundredthsPerPixel(const AreaFrame& frame) {
  return (frame.lon_span / frame.width_less_one + frame.lat_span / frame.height_less_one) / 2;
}

size_t FileIndexOfScale(int32_t hundredths_per_pixel) {
  const auto limit = std::find_if(kScaleLimits.begin(), kScaleLimits.end(),
                                  [&](int32_t l) { return hundredths_per_pixel < l; });
  return static_cast<size_t>(limit - kScaleLimits.begin());
}

std::optional<uintmax_t> FileSize(const std::string& path) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  return size;
}

// The whole file, zero-filled to the minimum size; none when it cannot be read or held.
CoastlineData ReadCoastlineFile(const std::string& path, uintmax_t size) {
  if (size > std::numeric_limits<std::streamsize>::max()) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  try {
    std::vector<uint8_t> bytes(std::max<size_t>(static_cast<size_t>(size), kMinimumDataSize), 0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<uintmax_t>(in.gcount()) != size) return std::nullopt;
    return bytes;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

// The file of the frame's scale in `directory`, or the first of the files there, finest first.
CoastlineData LoadCoastlineFileForScale(const AreaFrame& frame, std::string_view directory) {
  const std::string base(directory);
  auto path_of = [&](size_t index) { return JoinPath(base, std::string(kFileNames[index])); };
  std::string path = path_of(FileIndexOfScale(HundredthsPerPixel(frame)));
  std::optional<uintmax_t> size = FileSize(path);
  for (size_t index = 0; !size && index < kFileNames.size(); ++index) {
    path = path_of(index);
    size = FileSize(path);
  }
  if (!size) return std::nullopt;
  return ReadCoastlineFile(path, *size);
}

uint32_t ElementMask(std::span<const uint8_t> data, int32_t elem) {
  if (!CoastlineHasElementTypes(data)) return kEveryElement;
  return static_cast<uint32_t>(elem < 0 ? kDefaultElem : elem) & kElementMaskBits;
}

bool IsElementSelected(int32_t element_type, uint32_t mask) {
  if (element_type <= 0 || (mask & kEveryElement) != 0) return true;
  if (element_type <= 2) return (mask & 1) != 0;
  // Types beyond 6 have no bit of their own: only the every-element bit draws them.
  if (element_type > 6) return false;
  return (mask & (uint32_t{1} << (element_type - 1))) != 0;
}

// The pen of an element type: its map style (types up to 2 the first, 3 to 7 the next ones in
// turn; types beyond take the first, as coastlines), MapWid wide when that is above 1.
Pen CoastlinePen(const Settings& settings, int32_t element_type) {
  const size_t style_index =
      element_type >= 3 && element_type <= 7 ? static_cast<size_t>(element_type - 2) : 0;
  return Pen{TableLineStyle(settings.MapSty[style_index]), std::max(settings.MapWid, 1),
             settings.MapCol};
}

// How the displayed area maps onto the picture, in hundredths of a degree.
struct CoastlineMapping {
  AreaFrame frame;
  PixelRect area;
  LongitudeRange lons;  // only its centre is used: longitudes are brought next to it

  // A stored longitude, or the same meridian one turn round when that lies nearer the area.
  int64_t ContinuousLongitude(int32_t lon) const {
    return static_cast<int64_t>(std::floor(BringLongitudeNextTo(lons, lon / 100.0) * 100 + 0.5));
  }

  int64_t X(int32_t lon) const {
    const int64_t span = frame.lon_span;
    return area.x +
           ((ContinuousLongitude(lon) - frame.left) * frame.width_less_one + span / 2) / span;
  }

  int64_t Y(int32_t lat) const {
    const int64_t span = frame.lat_span;
    return area.y + ((int64_t{frame.top} - lat) * frame.height_less_one + span / 2) / span;
  }

  // Whether the record's extent reaches into the area.
  bool Overlaps(const CoastlineRecord& record) const {
    const int64_t a = ContinuousLongitude(record.lon_a);
    const int64_t b = ContinuousLongitude(record.lon_b);
    return frame.left <= std::max(a, b) && frame.right >= std::min(a, b) &&
           frame.bottom <= record.highest_lat && frame.top >= record.lowest_lat;
  }
};

CoastlineMapping MapOfFrame(const AreaFrame& frame, const PixelRect& area) {
  return {frame, area, ContinuousLongitudes(frame.left / 100.0, frame.right / 100.0)};
}

// A picture coordinate far beyond the surface, held at the int32 range. Such a point never shares
// a visible line with a point on the picture across (the jump between them splits the line), and
// down only pictures of millions of pixels per degree get there.
int32_t ClampToInt32(int64_t coordinate) {
  return static_cast<int32_t>(std::clamp<int64_t>(coordinate, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Draws the record's points as polylines in batches of up to kBatchPoints, each batch starting
// at the last point of the one before so that the line runs on without a gap. Where the line
// jumps more than a quarter of the picture across (a shore leaving at the 180th meridian and
// coming back on the other side) it is broken rather than drawn across the picture.
void DrawRecordLine(Surface& surface, const CoastlineRecord& record,
                    const CoastlineMapping& mapping) {
  std::array<PixelPoint, kBatchPoints> batch;
  size_t count = 0;
  const int64_t widest_step = mapping.frame.width_less_one / 4;
  int64_t previous_x = 0;
  auto draw_batch = [&] {
    if (count > 1) DrawPolyline(surface, std::span(batch).first(count));
  };
  for (size_t j = 0; j < record.PointCount(); ++j) {
    const CoastlinePoint point = record.Point(j);
    const int64_t x = mapping.X(point.lon);
    if (count > 0 && std::abs(x - previous_x) > widest_step) {
      draw_batch();
      count = 0;
    }
    batch[count++] = PixelPoint{ClampToInt32(x), ClampToInt32(mapping.Y(point.lat))};
    previous_x = x;
    if (count == kBatchPoints) {
      draw_batch();
      batch[0] = batch[count - 1];
      count = 1;
    }
  }
  draw_batch();
}

}  // namespace

bool DrawCoastlines(Surface& surface, const PixelRect& area, const AreaCornerSet& corners,
                    const Settings& settings, std::string_view directory, CoastlineData& data) {
  const std::optional<AreaFrame> frame = ComputeAreaFrame(corners, area, 0);
  if (!frame || !HasExtent(*frame)) return false;
  if (!data) data = LoadCoastlineFileForScale(*frame, directory);
  if (!data) return false;

  SurfaceStateSaver saved_state(surface);
  surface.state().background_mode = BackgroundMode::kTransparent;
  const CoastlineMapping mapping = MapOfFrame(*frame, area);
  const uint32_t mask = ElementMask(*data, settings.Elem);
  ForEachCoastlineRecord(*data, [&](const CoastlineRecord& record) {
    if (!IsElementSelected(record.element_type, mask) || !mapping.Overlaps(record)) return;
    surface.state().pen = CoastlinePen(settings, record.element_type);
    DrawRecordLine(surface, record, mapping);
  });
  return true;
}

}  // namespace nephrax
