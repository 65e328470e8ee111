#include "overlay/grid_layout.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace nephrax {

namespace {

// Corners beyond a whole turn from 0 are no place on the Earth; keeping them out also keeps every
// span and the number of grid lines small.
constexpr float kCornerLimit = 360;

// Hundredths of a degree, rounded as the overlays round: the product in single precision.
int32_t Hundredths(float degrees) {
  return static_cast<int32_t>(std::floor(static_cast<double>(degrees * 100.0F) + 0.5));
}

int32_t FloorMod(int32_t value, int32_t divisor) {
  const int32_t remainder = value % divisor;
  return remainder < 0 ? remainder + divisor : remainder;
}

// The right edge counted on past 180 when it lies west of the left edge in the western
// hemisphere, that is when the area crosses the 180th meridian.
int32_t ContinuousRight(int32_t left, int32_t right) {
  const double x = right / 100.0;
  if (x < 0 && left / 100.0 > x) return static_cast<int32_t>(std::floor((x + 360) * 100 + 0.5));
  return right;
}

bool IsBlank(char c) {
  return c == ' ' || (c >= 1 && c <= 9);
}

std::string Placeholder(int width, int decimals, char letter) {
  std::string text(static_cast<size_t>(width), 'x');
  text[static_cast<size_t>(width - decimals - 1)] = '.';
  return text + letter;
}

// Pixels between neighbouring grid lines over `pixels` for one interval of a `span`, rounded.
int64_t LineSpacing(int64_t interval, int64_t pixels, int64_t span) {
  return (interval * pixels + span / 2) / span;
}

// Whole degrees of a grid value in hundredths.
double WholeDegrees(int64_t hundredths) {
  return static_cast<double>(hundredths / 100);
}

int32_t Narrow(int64_t coordinate) {
  return static_cast<int32_t>(coordinate);
}

void LayOutLatitudes(const AreaFrame& frame, const PixelRect& area, LabelMetrics label_font,
                     std::vector<GridLine>& lines) {
  const int64_t a = frame.interval;
  const int64_t span = frame.lat_span;
  const int64_t h1 = frame.height_less_one;
  const int64_t w1 = frame.width_less_one;
  const int64_t lh = label_font.line_height;
  const bool labelled = LineSpacing(a, h1, span) >= 2 * lh;
  const int64_t bottom = int64_t{area.y} + area.height;
  int64_t k = frame.lat_offset;
  do {
    const int64_t y = area.y + (k * h1 + span / 2) / span;
    if (y >= bottom) break;
    const int64_t value = frame.top - k;
    GridLine line{{area.x, Narrow(y)}, {Narrow(area.x + w1), Narrow(y)}, value == 0, {}, {}};
    if (labelled && y - lh >= area.y) {
      line.label = FormatLatLon(WholeDegrees(value), 0, Coordinate::kLatitude);
      const int64_t length = static_cast<int64_t>(line.label.size());
      line.label_positions = {
          PicturePoint{area.x, Narrow(y - lh)},
          PicturePoint{Narrow(area.x + w1 - (length + 1) * label_font.digit_width),
                       Narrow(y - lh)}};
    }
    lines.push_back(std::move(line));
    k += a;
  } while (k <= span);
}

void LayOutMeridians(const AreaFrame& frame, const PixelRect& area, LabelMetrics label_font,
                     std::vector<GridLine>& lines) {
  const int64_t a = frame.interval;
  const int64_t span = frame.lon_span;
  const int64_t h1 = frame.height_less_one;
  const int64_t w1 = frame.width_less_one;
  const int64_t dw = label_font.digit_width;
  const bool labelled = LineSpacing(a, w1, span) >= 6 * dw;
  const int64_t label_limit = area.x + w1 - 5 * dw;
  int64_t k = frame.lon_offset;
  do {
    const int64_t x = area.x + w1 - (k * w1 + span / 2) / span;
    if (x <= area.x) break;
    GridLine line{{Narrow(x), area.y}, {Narrow(x), Narrow(area.y + h1)}, false, {}, {}};
    if (labelled && x <= label_limit) {
      line.label = FormatLatLon(WholeDegrees(frame.right - k), 0, Coordinate::kLongitude);
      line.label_positions = {
          PicturePoint{Narrow(x), area.y},
          PicturePoint{Narrow(x), Narrow(area.y + h1 - label_font.line_height)}};
    }
    lines.push_back(std::move(line));
    k += a;
  } while (k <= span);
}

}  // namespace

std::optional<AreaFrame> ComputeAreaFrame(const AreaCornerSet& corners, const PixelRect& area,
                                          int32_t interval) {
  for (const GeoPoint& corner : corners) {
    if (!(std::fabs(corner.lat) <= kCornerLimit && std::fabs(corner.lon) <= kCornerLimit)) {
      return std::nullopt;
    }
  }
  AreaFrame frame;
  frame.top = Hundredths(corners[kTopLeft].lat);
  frame.left = Hundredths(corners[kTopLeft].lon);
  frame.bottom = Hundredths(corners[kBottomRight].lat);
  frame.right = ContinuousRight(frame.left, Hundredths(corners[kBottomRight].lon));
  frame.lat_span = frame.top - frame.bottom;
  frame.lon_span = frame.right - frame.left;
  frame.lat_offset = interval > 0 ? FloorMod(frame.top + 9000, interval) : frame.top;
  frame.lon_offset = interval > 0 ? FloorMod(frame.right + 18000, interval) : frame.left;
  frame.interval = interval;
  frame.width_less_one = area.width - 1;
  frame.height_less_one = area.height - 1;
  return frame;
}

std::string FormatLatLon(double value, int decimals, Coordinate coordinate) {
  if (decimals < 0 || decimals > 5) return {};
  double v = value;
  if (coordinate == Coordinate::kLongitude) {
    if (v > 180 && v <= 360) v -= 360;
    if (v >= -360 && v < -180) v += 360;
  }
  const bool latitude = coordinate == Coordinate::kLatitude;
  const char letter = latitude ? (v < 0 ? 'S' : 'N') : (v < 0 ? 'W' : 'E');
  const int width = decimals + (latitude ? 3 : 4);
  const double magnitude = std::fabs(v);
  if (!(magnitude <= (latitude ? 90 : 180))) return Placeholder(width, decimals, letter);

  std::array<char, 32> buffer{};
  const int length =
      std::snprintf(buffer.data(), buffer.size(), "%*.*f%c", width, decimals, magnitude, letter);
  std::string text(buffer.data(), static_cast<size_t>(length));
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  return text.substr(first);
}

std::vector<GridLine> LayOutGrid(const AreaFrame& frame, const PixelRect& area,
                                 LabelMetrics label_font) {
  std::vector<GridLine> lines;
  if (frame.interval <= 0) return lines;
  if (frame.lat_span > 0) LayOutLatitudes(frame, area, label_font, lines);
  if (frame.lon_span > 0) LayOutMeridians(frame, area, label_font, lines);
  return lines;
}

}  // namespace nephrax
