// Every appearance and processing setting with its built-in value. The setup file may override
// them; without one these values are in force. Field names are the setup keys.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/colour.h"

namespace nephrax {

// Channel indexes 0..25 select per-channel settings; 24 and 25 exist but have no name or keys.
inline constexpr int kChannelCount = 26;
// Channels 0..15 have keys "Ch0".."ChF" + suffix; 16..23 (S1..S8) use their display name.
inline constexpr int kPrefixedChannelCount = 16;
inline constexpr int kNamedChannelCount = 24;

inline constexpr int kColourSetCount = 4;
inline constexpr int kColourComponentCount = 3;  // red, green, blue
inline constexpr size_t kMaxColourPoints = 80;

// Length limits of the stored texts, in bytes.
inline constexpr size_t kDisplayNameLimit = 8;
inline constexpr size_t kIdentifierTextLimit = 17;
inline constexpr size_t kNoticeTextLimit = 65;
inline constexpr size_t kFaceNameLimit = 31;

// One point of a colour-point list: a calibrated value and the colour level it maps to.
struct ColourPoint {
  float value = 0;
  int16_t level = 0;

  friend bool operator==(const ColourPoint&, const ColourPoint&) = default;
};

using ColourPointList = std::vector<ColourPoint>;

struct ChannelSettings {
  std::string name;  // display name, at most 8 bytes; forms the colour-point keys
  float max = 0;     // calibrated value at one end of the grey ramp
  float min = 0;     // ... and at the other
  bool rev = false;  // reverse the grey ramp
  bool tbb = false;  // temperature (infrared-type) channel
  bool abs = false;  // display in degrees Celsius while the table is in kelvin
  int32_t col = -1;  // display mode: -1 grey 256, 4 grey 64, 5 grey 16, 6 16-colour, 0..3 colour set
  // Colour-point lists per colour set and component; empty until a setup file supplies them.
  std::array<std::array<ColourPointList, kColourComponentCount>, kColourSetCount> colour_points;

  friend bool operator==(const ChannelSettings&, const ChannelSettings&) = default;
};

// The zoom area in hundredths of a degree; all zero means no zoom.
struct ZoomArea {
  int32_t lon1 = 0;
  int32_t lat1 = 0;
  int32_t lon2 = 0;
  int32_t lat2 = 0;

  friend bool operator==(const ZoomArea&, const ZoomArea&) = default;
};

enum class Language { kJapanese = 0, kEnglish = 1 };

struct Settings {
  // The key table, in file order.
  bool Jst = false;
  bool Grid = true;
  bool Map = true;
  int32_t Intv = 3;
  int32_t Amin = 50;
  int32_t Rmin = 10;
  int32_t Agif = 10;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Dtm = 0;
  int32_t Elem = 5;
  int32_t HstSiz = 12;
  int32_t DtmSiz = 12;
  int32_t NtcSiz = 12;
  bool DtmSat = true;
  bool DtmObs = false;
  bool NumBak = true;
  bool NtcBak = false;
  bool ItsNum = true;
  Colour GrdCol{0, 0, 192};
  Colour MapCol{0, 192, 0};
  Colour EqtCol{192, 0, 0};
  Colour DtmCol{192, 192, 0};
  Colour TypCol{192, 0, 0};
  Colour TdpCol{192, 0, 192};
  Colour EdaCol{0, 128, 128};
  Colour NtcCol{192, 0, 192};
  int32_t GrdWid = 1;
  int32_t MapWid = 1;
  int32_t ElvAdj = -10;
  float SatLat = 0.0F;
  float SatLon = 140.0F;
  float SatAlt = 35793.0F;
  bool Vadj = false;
  bool SunGln = false;
  bool GifOpt = true;
  bool GeoTif = false;  // also set by the -g switch, before the setup file is read

  // The further keys.
  uint8_t GrdStr = 0;  // bit 0: labels in the label font; bit 1: labels on an opaque background
  // Line-style numbers for coastline element types 1-2, 3, 4, 5, 6, and the grid.
  std::array<uint8_t, 6> MapSty{0, 0, 0, 2, 2, 0};
  ZoomArea Zoom;
  std::string NtcStr = " No TC ";
  // Face names of the label and caption fonts, one per language; the current language picks one.
  std::array<std::string, 2> Font{
      "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e",  // Japanese gothic (Shift-JIS)
      "Verdana"};

  std::array<ChannelSettings, kChannelCount> channels = BuiltInChannels();
  // True once an existing setup file has been read: only then do the colour-point lists exist.
  bool colour_points_loaded = false;

  static std::array<ChannelSettings, kChannelCount> BuiltInChannels();

  friend bool operator==(const Settings&, const Settings&) = default;
};

// A setting of the key table: its key and where it lives. The member's type is the setting type
// (bool switch, int32 integer, float real, Colour colour).
struct SettingKey {
  std::string_view key;
  std::variant<bool Settings::*, int32_t Settings::*, float Settings::*, Colour Settings::*> field;
};

// The 37 keys of the key table, in the order they are read and written.
std::span<const SettingKey> KeyTable();

// Grid interval in degrees for each Intv index 0..9.
inline constexpr std::array<int32_t, 10> kGridIntervals{1, 2, 5, 10, 15, 20, 30, 45, 60, 90};

}  // namespace nephrax
