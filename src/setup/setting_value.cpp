#include "setup/setting_value.h"

#include <array>
#include <cstdio>
#include <optional>

#include "setup/number_text.h"

namespace nephrax {

namespace {

std::optional<Colour> ParseColour(std::string_view text) {
  std::array<uint8_t, 3> components{};
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) {
      if (!text.starts_with(',')) return std::nullopt;
      text.remove_prefix(1);
    }
    const std::optional<LeadingNumber<int32_t>> number = ReadLeadingInt(text);
    if (!number) return std::nullopt;
    components[i] = static_cast<uint8_t>(number->value);  // the low 8 bits
    text.remove_prefix(number->length);
  }
  return Colour{components[0], components[1], components[2]};
}

}  // namespace

void ReadSetting(const ProfileFile& profile, std::string_view key, bool& setting) {
  const std::optional<std::string> value = profile.GetString(key, kShortValueSize);
  if (!value) return;
  if (EqualsIgnoringCase(*value, "ON")) setting = true;
  if (EqualsIgnoringCase(*value, "OFF")) setting = false;
}

void ReadSetting(const ProfileFile& profile, std::string_view key, int32_t& setting) {
  const std::optional<std::string> value = profile.GetString(key, kLongValueSize);
  if (!value) return;
  const std::optional<LeadingNumber<int32_t>> number = ReadLeadingInt(*value);
  setting = number ? number->value : 0;
}

void ReadSetting(const ProfileFile& profile, std::string_view key, float& setting) {
  const std::optional<std::string> value = profile.GetString(key, kShortValueSize);
  if (!value) return;
  if (const std::optional<LeadingNumber<float>> number = ReadLeadingReal(*value)) {
    setting = number->value;
  }
}

void ReadSetting(const ProfileFile& profile, std::string_view key, Colour& setting) {
  const std::optional<std::string> value = profile.GetString(key, kShortValueSize);
  if (!value) return;
  if (const std::optional<Colour> colour = ParseColour(*value)) setting = *colour;
}

void ReadSetting(const ProfileFile& profile, std::string_view key, std::string& setting,
                 size_t limit) {
  if (const std::optional<std::string> value = profile.GetString(key, kTextValueSize)) {
    setting = value->substr(0, limit);
  }
}

std::string SettingText(bool setting) {
  return setting ? "ON" : "OFF";
}

std::string SettingText(int32_t setting) {
  return std::to_string(setting);
}

std::string SettingText(float setting) {
  return FormatFixed(setting, 4);
}

std::string SettingText(Colour setting) {
  return std::to_string(setting.red) + "," + std::to_string(setting.green) + "," +
         std::to_string(setting.blue);
}

std::string FormatFixed(double value, int digits) {
  const int length = std::snprintf(nullptr, 0, "%.*f", digits, value);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, "%.*f", digits, value);
  return text;
}

}  // namespace nephrax
