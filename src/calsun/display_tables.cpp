// Builds the display palette and count-to-index table from the calibration table and the
// channel's display settings.
#include "calsun/display_tables.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

namespace nephrax {
namespace {

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kWhite{255, 255, 255};

constexpr int32_t kScaleSize = 16;
// The 16-colour scale, by colour number.
constexpr std::array<Colour, kScaleSize> kScaleColours{{
    {0, 0, 0},
    {0, 0, 255},
    {255, 0, 0},
    {255, 0, 255},
    {0, 255, 0},
    {0, 255, 255},
    {255, 255, 0},
    {255, 255, 255},
    {128, 128, 128},
    {0, 0, 128},
    {128, 0, 0},
    {128, 0, 128},
    {0, 128, 0},
    {0, 128, 128},
    {128, 128, 0},
    {192, 192, 192},
}};
// Colour number of each scale level, from black through the dark and light colours to white.
constexpr std::array<int32_t, kScaleSize> kScaleLevelColours{0,  8, 9, 10, 11, 12, 13, 14,
                                                             15, 1, 2, 3,  4,  5,  6,  7};

enum class DisplayKind { kGrey, kScale, kColourSet };

struct DisplayMode {
  DisplayKind kind = DisplayKind::kGrey;
  int32_t step = 1;  // ramp positions per grey or scale level
};

bool IsColourSet(int32_t col) {
  return col >= 0 && col < kColourSetCount;
}

// A `col` without a mode of its own (7 and up, or below -1) draws as 256-level grey.
DisplayMode DisplayModeOf(int32_t col) {
  if (IsColourSet(col)) return {DisplayKind::kColourSet, 1};
  switch (col) {
    case 4:
      return {DisplayKind::kGrey, 4};
    case 5:
      return {DisplayKind::kGrey, 16};
    case 6:
      return {DisplayKind::kScale, 16};
    default:
      return {DisplayKind::kGrey, 1};
  }
}

// Maps calibrated values linearly onto ramp positions, min to 0 and max to 255.
struct GreyRamp {
  double slope = 0;
  double offset = 0;
};

GreyRamp MakeGreyRamp(double min, double max) {
  if (max - min < 0.001) return {};  // too narrow to spread: every value sits at position 0
  return {255 / (max - min), -255 * min / (max - min)};
}

int32_t RampPosition(const GreyRamp& ramp, double value) {
  const double position = ramp.offset + ramp.slope * value;
  // NaN (from a NaN table value) joins the low end rather than reach the integer conversion.
  if (!(position > 0)) return 0;
  if (position > 255) return 255;
  return static_cast<int32_t>(position + 0.5);
}

Colour GreyColour(int32_t position, int32_t step, bool invert) {
  const int32_t level = position / step * step;
  const auto grey = static_cast<uint8_t>(invert ? 255 - level : level);
  return {grey, grey, grey};
}

Colour ScaleColour(int32_t position, bool invert) {
  const int32_t level = position / kScaleSize;
  return Colour16(kScaleLevelColours[static_cast<size_t>(invert ? kScaleSize - 1 - level : level)]);
}

// The colours beyond the ramp's ends: white or black (in the 16-colour mode the scale's end
// levels, which are white and black as well).
Colour EndColour(bool light) {
  return light ? kWhite : kBlack;
}

Colour Low8Bits(const ColourLevels& levels) {
  return {static_cast<uint8_t>(levels[0]), static_cast<uint8_t>(levels[1]),
          static_cast<uint8_t>(levels[2])};
}

PaletteEntry EntryOf(Colour colour) {
  return {colour.red, colour.green, colour.blue, kPaletteEntryFlags};
}

// Everything that decides the colour of a count, worked out once per palette.
struct CountColouring {
  const Calibration& calibration;
  const ChannelSettings& channel;
  DisplayMode mode;
  GreyRamp ramp;
  bool invert = false;     // low values drawn light
  int32_t ramp_first = 0;  // counts below take the low colour
  int32_t ramp_end = 0;    // counts from here on take the high colour
};

CountColouring MakeCountColouring(const Calibration& calibration, const ChannelSettings& channel,
                                  double min, double max) {
  return {calibration,
          channel,
          DisplayModeOf(channel.col),
          MakeGreyRamp(min, max),
          channel.tbb != channel.rev,
          CountOfValue(calibration, channel, min),
          CountOfValue(calibration, channel, max)};
}

// The high colour is checked first: when the ramp's ends cross, it takes the counts between them.
Colour ColourOfCount(const CountColouring& colouring, int32_t count) {
  const double value = ValueOfCount(colouring.calibration, colouring.channel, count);
  if (colouring.mode.kind == DisplayKind::kColourSet)
    return Low8Bits(ColourOfValue(colouring.calibration, colouring.channel, value));
  if (count >= colouring.ramp_end) return EndColour(!colouring.invert);
  if (count < colouring.ramp_first) return EndColour(colouring.invert);
  const int32_t position = RampPosition(colouring.ramp, value);
  if (colouring.mode.kind == DisplayKind::kScale) return ScaleColour(position, colouring.invert);
  return GreyColour(position, colouring.mode.step, colouring.invert);
}

// Spreads counts first..last evenly, with rounding, over indexes 0..255. A table of a single
// count gives it index 0.
uint8_t IndexOfCount(int32_t count, int32_t first, int32_t last) {
  const int64_t span = int64_t{last} - first;
  if (span == 0) return 0;
  return static_cast<uint8_t>(((int64_t{count} - first) * 255 + span / 2) / span);
}

std::span<const ColourPoint> ColourPointsOf(const ChannelSettings& channel, size_t component) {
  if (!IsColourSet(channel.col)) return {};
  return channel.colour_points[static_cast<size_t>(channel.col)][component];
}

struct ColourSegment {
  ColourPoint lower;
  ColourPoint upper;
};

// The segment of a colour-point list around `value`: the first point at or above the value as
// the upper end and the point before it as the lower end, each replacing its default only when
// the list has such a point.
ColourSegment SegmentAround(std::span<const ColourPoint> points, double value,
                            ColourSegment segment) {
  const auto upper = std::find_if(points.begin(), points.end(), [value](const ColourPoint& point) {
    return point.value >= value;
  });
  if (upper != points.end()) segment.upper = *upper;
  if (upper != points.begin()) segment.lower = *std::prev(upper);
  return segment;
}

// floor(level), saturated to int32 so that no value, however odd the table, overflows it.
int32_t FloorToLevel(double level) {
  if (std::isnan(level)) return 0;
  constexpr double kLowest = std::numeric_limits<int32_t>::min();
  constexpr double kHighest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::floor(level), kLowest, kHighest));
}

// The level at `value` on the line through the segment's two points, in single precision.
int32_t InterpolateLevel(const ColourSegment& segment, double value) {
  const float v_lo = segment.lower.value;
  const float v_up = segment.upper.value;
  const float l_lo = segment.lower.level;
  const float l_up = segment.upper.level;
  const float width = v_up - v_lo;
  const float level =
      (l_lo * v_up - l_up * v_lo) / width + (l_up - l_lo) / width * static_cast<float>(value);
  return FloorToLevel(static_cast<double>(level) + 0.5);
}

}  // namespace

void BuildDisplayTables(const ControlBlock& block, const Calibration& calibration,
                        const ChannelSettings& channel, DisplayTables& tables) {
  tables.palette = {};
  // A refused range leaves the palette black, and the image draws black.
  if (block.Is16Bit()) {
    BuildPalette16(calibration, channel, channel.min, channel.max, tables.palette,
                   tables.count_to_index);
  } else {
    BuildPalette8(calibration, channel, block.HasFlag(kNoDataFlag), channel.min, channel.max,
                  tables.palette);
  }
}

bool BuildPalette8(const Calibration& calibration, const ChannelSettings& channel,
                   bool count_255_is_no_data, double min, double max, Palette& palette) {
  if (min >= max) return false;
  const CountColouring colouring = MakeCountColouring(calibration, channel, min, max);
  for (size_t count = 0; count < palette.size(); ++count)
    palette[count] = EntryOf(ColourOfCount(colouring, static_cast<int32_t>(count)));
  if (count_255_is_no_data) palette[255] = EntryOf(kBlack);
  return true;
}

bool BuildPalette16(const Calibration& calibration, const ChannelSettings& channel, double min,
                    double max, Palette& palette, std::span<uint8_t> count_to_index) {
  if (min > max) return false;
  const CountColouring colouring = MakeCountColouring(calibration, channel, min, max);
  // Only counts the table holds can be looked up when the image is drawn.
  const int64_t begin = std::max<int64_t>(calibration.first, 0);
  const int64_t end =
      std::min<int64_t>(int64_t{calibration.last} + 1, static_cast<int64_t>(count_to_index.size()));
  for (int64_t count = begin; count < end; ++count) {
    const auto c = static_cast<int32_t>(count);
    const uint8_t index = IndexOfCount(c, calibration.first, calibration.last);
    count_to_index[static_cast<size_t>(count)] = index;
    palette[index] = EntryOf(ColourOfCount(colouring, c));
  }
  return true;
}

double ValueOfCount(const Calibration& calibration, const ChannelSettings& channel, int32_t count) {
  const int32_t clamped = std::clamp(count, calibration.first, calibration.last);
  const double value = calibration.values[static_cast<size_t>(clamped - calibration.first)];
  return channel.abs ? value - kKelvinOffset : value;
}

int32_t CountOfValue(const Calibration& calibration, const ChannelSettings& channel, double value) {
  const double v = channel.abs ? value + kKelvinOffset : value;
  if (calibration.first >= calibration.last) return calibration.first;
  const std::vector<float>& values = calibration.values;
  // The first table entry after the first count whose value exceeds v. The table ascends, so
  // this is a binary search; none means v lies at or beyond the last count.
  const auto above = std::upper_bound(values.begin() + 1, values.end(), v,
                                      [](double v, float table) { return v < table; });
  if (above == values.end()) return calibration.last;
  const double upper = *above;
  const double lower = *std::prev(above);
  const auto count = calibration.first + static_cast<int32_t>(std::prev(above) - values.begin());
  // Halfway goes to the lower count.
  return v - lower > upper - v ? count + 1 : count;
}

ColourLevels ColourOfValue(const Calibration& calibration, const ChannelSettings& channel,
                           double value) {
  const double v_first = ValueOfCount(calibration, channel, calibration.first);
  const double v_last = ValueOfCount(calibration, channel, calibration.last);
  // Without colour points the ramp runs from the first count to the last, light to dark for
  // infrared-type channels and dark to light otherwise.
  const int16_t first_level = channel.tbb ? 255 : 0;
  const ColourSegment whole_table{
      {static_cast<float>(v_first), first_level},
      {static_cast<float>(v_last), static_cast<int16_t>(255 - first_level)}};
  ColourLevels levels{};
  for (size_t component = 0; component < levels.size(); ++component) {
    const ColourSegment segment =
        SegmentAround(ColourPointsOf(channel, component), value, whole_table);
    if (value <= v_first) {
      levels[component] = segment.lower.level;
    } else if (value >= v_last) {
      levels[component] = segment.upper.level;
    } else {
      levels[component] = InterpolateLevel(segment, value);
    }
  }
  return levels;
}

Colour Colour16(int32_t number) {
  if (number < 0 || number >= kScaleSize) return kBlack;
  return kScaleColours[static_cast<size_t>(number)];
}

}  // namespace nephrax
