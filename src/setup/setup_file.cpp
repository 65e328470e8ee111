#include "setup/setup_file.h"

#include <filesystem>
#include <new>
#include <optional>
#include <variant>

#include "platform/profile_file.h"
#include "setup/channel_identifiers.h"
#include "setup/colour_points.h"
#include "setup/list_settings.h"
#include "setup/setting_value.h"

namespace nephrax {

namespace {

constexpr const char* kSetupSection = "NEPHRAX";
constexpr int32_t kHighestReadDisplayMode = 7;
constexpr int32_t kDefaultGridInterval = 3;

// The slot of `Settings::Font` that holds the face name of `language`.
size_t FaceIndex(Language language) {
  return static_cast<size_t>(language);
}

// Channels 0..15 have keys "Ch0".."ChF" + suffix; S1..S8 their display name + suffix.
std::string ChannelKeyPrefix(const Settings& settings, int channel) {
  constexpr std::string_view kHexDigits = "0123456789ABCDEF";
  if (channel < kPrefixedChannelCount) {
    return std::string("Ch") + kHexDigits[static_cast<size_t>(channel)];
  }
  return settings.channels[static_cast<size_t>(channel)].name;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

void ReadKeyTable(const ProfileFile& profile, Settings& settings) {
  for (const SettingKey& setting : KeyTable()) {
    std::visit([&](auto field) { ReadSetting(profile, setting.key, settings.*field); },
               setting.field);
  }
  if (settings.Intv < 0 || settings.Intv >= static_cast<int32_t>(kGridIntervals.size())) {
    settings.Intv = kDefaultGridInterval;
  }
}

void ReadFurtherKeys(const ProfileFile& profile, Language language, Settings& settings) {
  int32_t label_style = settings.GrdStr;
  ReadSetting(profile, "GrdStr", label_style);
  settings.GrdStr = static_cast<uint8_t>(label_style);  // the low 8 bits
  if (const std::optional<std::string> styles = profile.GetString("MapSty", kTextValueSize)) {
    ReadMapStyles(*styles, settings.MapSty);
  }
  if (const std::optional<std::string> zoom = profile.GetString("Zoom", kTextValueSize)) {
    ReadZoomArea(*zoom, settings.Zoom);
  }
  ReadSetting(profile, "NtcStr", settings.NtcStr, kNoticeTextLimit);
  ReadSetting(profile, "Font", settings.Font[FaceIndex(language)], kFaceNameLimit);
}

void ReadChannelKeys(const ProfileFile& profile, int channel, Settings& settings,
                     ChannelTable& table) {
  ChannelSettings& current = settings.channels[static_cast<size_t>(channel)];
  const std::string prefix = ChannelKeyPrefix(settings, channel);
  const bool prefixed = channel < kPrefixedChannelCount;
  if (prefixed) {
    ReadSetting(profile, prefix + "name", current.name, kDisplayNameLimit);
    // Without a char key the channel keeps the identifiers it has, as any missing key keeps its
    // value.
    if (const std::optional<std::string> identifiers =
            profile.GetString(prefix + "char", kTextValueSize)) {
      SetChannelIdentifiers(table, channel, identifiers->substr(0, kIdentifierTextLimit));
    }
  }
  ReadSetting(profile, prefix + "max", current.max);
  ReadSetting(profile, prefix + "min", current.min);
  ReadSetting(profile, prefix + "rev", current.rev);
  if (prefixed) {
    ReadSetting(profile, prefix + "tbb", current.tbb);
    ReadSetting(profile, prefix + "abs", current.abs);
  }
  int32_t mode = current.col;
  ReadSetting(profile, prefix + "col", mode);
  if (mode <= kHighestReadDisplayMode) current.col = mode;
}

void ReadColourPointLists(const ProfileFile& profile, Settings& settings) {
  for (ChannelSettings& channel : settings.channels) {
    if (channel.name.empty()) continue;
    for (int set = 0; set < kColourSetCount; ++set) {
      for (int component = 0; component < kColourComponentCount; ++component) {
        const std::optional<std::string> text =
            profile.GetString(ColourPointKey(channel.name, set, component), kLongValueSize);
        if (!text) continue;
        ColourPointList points = ReadColourPoints(*text);
        if (points.empty()) continue;
        channel.colour_points[static_cast<size_t>(set)][static_cast<size_t>(component)] =
            std::move(points);
      }
    }
  }
  for (ChannelSettings& channel : settings.channels) {
    for (auto& colour_set : channel.colour_points) {
      for (ColourPointList& points : colour_set) SortColourPoints(points);
    }
  }
  settings.colour_points_loaded = true;
}

void ApplySetupFile(const ProfileFile& profile, Language language, Settings& settings,
                    ChannelTable& table) {
  ReadKeyTable(profile, settings);
  ReadFurtherKeys(profile, language, settings);
  for (int channel = 0; channel < kNamedChannelCount; ++channel) {
    ReadChannelKeys(profile, channel, settings, table);
  }
  ReadColourPointLists(profile, settings);
}

void WriteChannelKeys(ProfileFile& profile, int channel, const Settings& settings,
                      const ChannelTable& table) {
  const ChannelSettings& current = settings.channels[static_cast<size_t>(channel)];
  const std::string prefix = ChannelKeyPrefix(settings, channel);
  const bool prefixed = channel < kPrefixedChannelCount;
  if (prefixed) {
    profile.SetString(prefix + "name", current.name);
    profile.SetString(prefix + "char", ChannelIdentifierText(table, channel));
  }
  WriteSetting(profile, prefix + "max", current.max);
  WriteSetting(profile, prefix + "min", current.min);
  WriteSetting(profile, prefix + "rev", current.rev);
  if (prefixed) {
    WriteSetting(profile, prefix + "tbb", current.tbb);
    WriteSetting(profile, prefix + "abs", current.abs);
  }
  WriteSetting(profile, prefix + "col", current.col);
}

void WriteColourPointLists(ProfileFile& profile, const Settings& settings) {
  for (const ChannelSettings& channel : settings.channels) {
    if (channel.name.empty()) continue;
    for (int set = 0; set < kColourSetCount; ++set) {
      for (int component = 0; component < kColourComponentCount; ++component) {
        const ColourPointList& points =
            channel.colour_points[static_cast<size_t>(set)][static_cast<size_t>(component)];
        if (points.empty()) continue;
        profile.SetString(ColourPointKey(channel.name, set, component),
                          ColourPointText(points, channel));
      }
    }
  }
}

}  // namespace

void ReadSetupFile(const std::string& path, Language language, Settings& settings,
                   ChannelTable& table) {
  std::error_code error;
  // A dangling link or an unreadable entry is something that exists: only a free name is created.
  if (std::filesystem::symlink_status(path, error).type() ==
      std::filesystem::file_type::not_found) {
    WriteSetupFile(path, language, settings, table);
    return;
  }
  try {
    const std::optional<ProfileFile> profile = ProfileFile::Load(path, kSetupSection);
    if (profile) ApplySetupFile(*profile, language, settings, table);
  } catch (const std::bad_alloc&) {
    // Whatever was read before memory ran out stands; the rest keeps its current values.
  }
}

bool WriteSetupFile(const std::string& path, Language language, const Settings& settings,
                    const ChannelTable& table) {
  try {
    ProfileFile profile(kSetupSection);
    for (const SettingKey& setting : KeyTable()) {
      std::visit([&](auto field) { WriteSetting(profile, setting.key, settings.*field); },
                 setting.field);
    }
    WriteSetting(profile, "GrdStr", int32_t{settings.GrdStr});
    profile.SetString("MapSty", MapStyleText(settings.MapSty));
    profile.SetString("Zoom", ZoomText(settings.Zoom));
    profile.SetString("NtcStr", Quoted(settings.NtcStr));
    profile.SetString("Font", Quoted(settings.Font[FaceIndex(language)]));
    for (int channel = 0; channel < kNamedChannelCount; ++channel) {
      WriteChannelKeys(profile, channel, settings, table);
    }
    if (settings.colour_points_loaded) WriteColourPointLists(profile, settings);
    return profile.Save(path);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace nephrax
