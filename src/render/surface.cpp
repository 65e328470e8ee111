#include "render/surface.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/messages.h"
#include "platform/huge_pages.h"
#include "platform/parallel_bands.h"

namespace nephrax {

namespace {

// Bytes in one row of an 8-bit DIB: the width rounded up to a multiple of 4.
int64_t IndexRowBytes(int64_t width) {
  return (width + 3) / 4 * 4;
}

// The offset into a source span of `source_span` pixels that offset d of a destination span of
// `destination_span` pixels takes. Both spans are at most 2^31 - 1, so the product stays below
// 2^63.
int64_t NearestSourceOffset(int64_t d, int64_t source_span, int64_t destination_span) {
  return (2 * d + 1) * source_span / (2 * destination_span);
}

bool IsEmpty(const PixelRect& rect) {
  return rect.width <= 0 || rect.height <= 0;
}

// The rows of an image to stretch from: `stride` pixels a row, row 0 the bottom line.
template <typename Pixel>
struct SourceRows {
  std::span<const Pixel> rows;
  int32_t width;
  int32_t height;
  size_t stride;
};

template <typename Pixel>
bool CanStretchFrom(const SourceRows<Pixel>& source, const PixelRect& area) {
  if (IsEmpty(area) || source.width <= 0 || source.height <= 0 ||
      source.stride < static_cast<size_t>(source.width)) {
    return false;
  }
  const auto needed = static_cast<int64_t>(source.stride) * source.height;
  return static_cast<int64_t>(source.rows.size()) >= needed && area.x >= 0 && area.y >= 0 &&
         int64_t{area.x} + area.width <= source.width &&
         int64_t{area.y} + area.height <= source.height;
}

// The surface positions [first, last) that a destination span covers.
struct ClippedSpan {
  int64_t first;
  int64_t last;
};

ClippedSpan ClipSpan(int32_t origin, int32_t size, int32_t limit) {
  return {std::max<int64_t>(origin, 0), std::min<int64_t>(int64_t{origin} + size, limit)};
}

// Source column of every surface column of the clipped destination span.
std::vector<uint32_t> MapColumns(ClippedSpan columns, const PixelRect& destination,
                                 const PixelRect& source_area) {
  std::vector<uint32_t> map(static_cast<size_t>(columns.last - columns.first));
  for (size_t i = 0; i < map.size(); ++i) {
    const int64_t d = columns.first + static_cast<int64_t>(i) - destination.x;
    map[i] = static_cast<uint32_t>(source_area.x +
                                   NearestSourceOffset(d, source_area.width, destination.width));
  }
  return map;
}

// `colours` has an entry for every value a Pixel can hold.
template <typename Pixel>
void PaintRow(uint8_t* out, const Pixel* source_row, std::span<const uint32_t> columns,
              std::span<const DibColour> colours) {
  if (columns.empty()) return;
  // Every pixel but the last is stored as four bytes, the fourth overwritten by the next pixel:
  // one store instead of three.
  static_assert(sizeof(DibColour) == 4);
  for (const uint32_t column : columns.first(columns.size() - 1)) {
    std::memcpy(out, &colours[source_row[column]], 4);
    out += 3;
  }
  const DibColour& last = colours[source_row[columns.back()]];
  out[0] = last.blue;
  out[1] = last.green;
  out[2] = last.red;
}

// The stretch of either kind of source, each pixel's colour its entry of `colours`.
template <typename Pixel>
int32_t StretchRows(Surface& surface, const PixelRect& destination, const SourceRows<Pixel>& source,
                    const PixelRect& source_area, std::span<const DibColour> colours) {
  if (IsEmpty(destination) || !CanStretchFrom(source, source_area)) return 0;
  const ClippedSpan columns = ClipSpan(destination.x, destination.width, surface.width());
  const ClippedSpan lines = ClipSpan(destination.y, destination.height, surface.height());
  if (columns.first >= columns.last || lines.first >= lines.last) return 0;

  std::vector<uint32_t> column_map;
  try {
    column_map = MapColumns(columns, destination, source_area);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const size_t row_bytes = column_map.size() * 3;
  // Bands of lines are painted side by side; a band paints at least a few hundred kilobytes.
  const int64_t min_band_lines =
      std::max<int64_t>(1, (int64_t{1} << 18) / std::max<size_t>(row_bytes, 1));
  ForEachBand(lines.last - lines.first, min_band_lines, [&](int64_t first, int64_t end) {
    // Enlarging repeats source lines; a repeated line is copied from the one just painted.
    int64_t previous_source_line = -1;
    const uint8_t* previous = nullptr;
    for (int64_t y = lines.first + first; y < lines.first + end; ++y) {
      const int64_t from_top =
          NearestSourceOffset(y - destination.y, source_area.height, destination.height);
      const int64_t source_line = int64_t{source_area.y} + source_area.height - 1 - from_top;
      uint8_t* out =
          surface.Row(static_cast<int32_t>(y)).data() + static_cast<size_t>(columns.first) * 3;
      if (source_line == previous_source_line) {
        std::memcpy(out, previous, row_bytes);
      } else {
        PaintRow(out, source.rows.data() + static_cast<size_t>(source_line) * source.stride,
                 column_map, colours);
        previous_source_line = source_line;
      }
      previous = out;
    }
  });
  return static_cast<int32_t>(lines.last - lines.first);
}

}  // namespace

Surface::Surface(int32_t width, int32_t height, size_t stride, Bits bits)
    : width_(width), height_(height), stride_(stride), bits_(std::move(bits)) {}

std::span<uint8_t> Surface::Row(int32_t y) {
  if (y < 0 || y >= height_) return {};
  return {bits_.get() + RowOffset(y), static_cast<size_t>(width_) * 3};
}

std::span<const uint8_t> Surface::Row(int32_t y) const {
  if (y < 0 || y >= height_) return {};
  return {bits_.get() + RowOffset(y), static_cast<size_t>(width_) * 3};
}

void FillSpan(Surface& surface, int64_t y, int64_t x_first, int64_t x_last, Colour colour) {
  if (y < 0 || y >= surface.height()) return;
  const int64_t first = std::max<int64_t>(x_first, 0);
  const int64_t last = std::min<int64_t>(x_last, surface.width());
  if (first >= last) return;
  uint8_t* pixel = surface.Row(static_cast<int32_t>(y)).data() + static_cast<size_t>(first) * 3;
  for (int64_t x = first; x < last; ++x, pixel += 3) {
    pixel[0] = colour.blue;
    pixel[1] = colour.green;
    pixel[2] = colour.red;
  }
}

void FillRect(Surface& surface, const PixelRect& rect, Colour colour) {
  const int64_t last_line = std::min<int64_t>(int64_t{rect.y} + rect.height, surface.height());
  for (int64_t y = std::max<int64_t>(rect.y, 0); y < last_line; ++y) {
    FillSpan(surface, y, rect.x, int64_t{rect.x} + rect.width, colour);
  }
}

std::optional<Surface> CreateSurface(int32_t width, int32_t height) {
  const int64_t stride = DibRowBytes(width);
  if (width < 1 || height < 1 || stride > kMaxSurfaceBytes / height) {
    PrintMessage(msg::kMemoryAllocate);
    return std::nullopt;
  }
  const size_t size = static_cast<size_t>(stride * height);
  Surface::Bits bits(static_cast<uint8_t*>(std::calloc(size, 1)));
  if (bits == nullptr) {
    PrintMessage(msg::kMemoryAllocate);
    return std::nullopt;
  }
  AdviseHugePages(bits.get(), size);
  return Surface(width, height, static_cast<size_t>(stride), std::move(bits));
}

int32_t StretchImage(Surface& surface, const PixelRect& destination, const IndexImage& source,
                     const PixelRect& source_area, const ColourTable& colours) {
  const SourceRows<uint8_t> rows{source.rows, source.width, source.height,
                                 static_cast<size_t>(IndexRowBytes(source.width))};
  return StretchRows(surface, destination, rows, source_area, colours);
}

int32_t StretchImage(Surface& surface, const PixelRect& destination, const CountImage& source,
                     const PixelRect& source_area, std::span<const DibColour> count_colours) {
  if (count_colours.size() < kCountColours) return 0;
  const SourceRows<uint16_t> rows{source.rows, source.width, source.height, source.stride};
  return StretchRows(surface, destination, rows, source_area, count_colours);
}

}  // namespace nephrax
