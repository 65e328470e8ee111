// One setting read from or written into the setup file, by its type: switch (bool), integer
// (int32), real (float), colour and text. A key the file lacks leaves the setting as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/colour.h"
#include "platform/profile_file.h"

namespace nephrax {

// Lookup sizes (at most size - 1 characters come back): switch, real and colour values are short;
// texts are cut to 79 characters and colour-point lists to 255.
inline constexpr size_t kShortValueSize = 40;
inline constexpr size_t kTextValueSize = 80;
inline constexpr size_t kLongValueSize = 256;

// "ON" or "OFF" without regard to case; anything else keeps the setting.
void ReadSetting(const ProfileFile& profile, std::string_view key, bool& setting);
// Optional sign and decimal digits; a value without leading digits gives 0.
void ReadSetting(const ProfileFile& profile, std::string_view key, int32_t& setting);
// A decimal number; a value that is not one keeps the setting.
void ReadSetting(const ProfileFile& profile, std::string_view key, float& setting);
// Three integers separated by commas, each taken modulo 256; fewer than three keep the setting.
void ReadSetting(const ProfileFile& profile, std::string_view key, Colour& setting);
// The text, cut to `limit` characters.
void ReadSetting(const ProfileFile& profile, std::string_view key, std::string& setting,
                 size_t limit);

// The file forms: "ON"/"OFF", "%d", "%.4f" and "%d,%d,%d".
std::string SettingText(bool setting);
std::string SettingText(int32_t setting);
std::string SettingText(float setting);
std::string SettingText(Colour setting);

// Writes the file form of a switch, integer, real or colour setting.
template <typename Setting>
void WriteSetting(ProfileFile& profile, std::string_view key, Setting setting) {
  profile.SetString(key, SettingText(setting));
}

// `value` in fixed notation with `digits` decimals, as "%.*f" writes it.
std::string FormatFixed(double value, int digits);

}  // namespace nephrax
