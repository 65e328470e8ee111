// The display tables of one source image: the 256-colour palette the image is drawn with and, for
// 16-bit data, the table that reduces every count to a palette index. Both are built from the
// ascending calibration table and the channel's display settings (range, invert, display mode,
// colour-point lists). Also the two conversions between counts and calibrated values.
//
// Every calibration table handed in here is ascending (the reader reverses falling ones) and
// holds one value per count first..last, with first <= last.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/colour.h"
#include "core/control_block.h"
#include "core/settings.h"
#include "source/source_data.h"

namespace nephrax {

inline constexpr size_t kPaletteSize = 256;
// Flags byte of every palette entry written: the platform's no-collapse palette-entry flag.
inline constexpr uint8_t kPaletteEntryFlags = 4;
// Kelvin minus degrees Celsius, for channels whose display unit is Celsius.
inline constexpr double kKelvinOffset = 273.15;

struct PaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t flags = 0;

  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

using Palette = std::array<PaletteEntry, kPaletteSize>;
using CountToIndex = std::array<uint8_t, static_cast<size_t>(kCountTableSize)>;

struct DisplayTables {
  Palette palette{};  // rebuilt for every source file
  // Kept for the whole run: a 16-bit file overwrites only its own counts first..last.
  CountToIndex count_to_index{};
};

// Colour levels red, green, blue as a colour set gives them; the palette keeps their low 8 bits.
using ColourLevels = std::array<int32_t, kColourComponentCount>;

// Zero-fills the palette, then builds it (and, for 16-bit data, the count-to-index entries of
// counts first..last) over the channel's min..max range. A refused range leaves the palette black.
void BuildDisplayTables(const ControlBlock& block, const Calibration& calibration,
                        const ChannelSettings& channel, DisplayTables& tables);

// 8-bit data: palette index = count. With `count_255_is_no_data`, entry 255 is black whatever the
// mode gives it. Returns false, writing nothing, when min >= max.
bool BuildPalette8(const Calibration& calibration, const ChannelSettings& channel,
                   bool count_255_is_no_data, double min, double max, Palette& palette);

// 16-bit data: counts first..last spread evenly over indexes 0..255; each count writes its index
// into `count_to_index` and its colour into that palette entry (the highest count of an index
// wins). Counts outside `count_to_index` take no part. Returns false, writing nothing, when
// min > max.
bool BuildPalette16(const Calibration& calibration, const ChannelSettings& channel, double min,
                    double max, Palette& palette, std::span<uint8_t> count_to_index);

// The calibrated value of `count` (clamped to first..last) in the channel's display unit.
double ValueOfCount(const Calibration& calibration, const ChannelSettings& channel, int32_t count);

// The count in first..last whose table value lies nearest to `value` (display unit); a value
// halfway between two table values gives the lower count.
int32_t CountOfValue(const Calibration& calibration, const ChannelSettings& channel, double value);

// The colour levels of a display-unit value in the channel's colour set: a piecewise-linear ramp
// through the set's colour points, between default end points at the table's two ends.
ColourLevels ColourOfValue(const Calibration& calibration, const ChannelSettings& channel,
                           double value);

// Colour `number` (0..15) of the 16-colour scale; black for any other number.
Colour Colour16(int32_t number);

}  // namespace nephrax
