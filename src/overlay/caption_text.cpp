#include "overlay/caption_text.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "overlay/time_helpers.h"
#include "platform/shift_jis.h"

namespace nephrax {

namespace {

// Channel indexes from here on have no band name of their own.
constexpr int32_t kFirstUnnamedChannel = 26;
// Bytes of the satellite name the caption shows.
constexpr size_t kSatelliteNameLimit = 9;

using TimeTextBuffer = std::array<char, 96>;  // holds six int32 fields in any of the formats

bool IsPrintingByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 33 && byte <= 126;
}

// Removes the blanks, control bytes and stray bytes above 126 at the end of `text`. A double-byte
// character counts as printing, so a name that ends in one keeps it.
void TrimTrailingNonPrinting(std::string& text) {
  size_t end = 0;
  for (size_t position = 0; position < text.size();) {
    const size_t length = ShiftJisCharacterLength(text, position);
    if (length == 2 || IsPrintingByte(text[position])) end = position + length;
    position += length;
  }
  text.resize(end);
}

// Cuts `text` to at most `limit` bytes, leaving out a double-byte character that would be split.
void CutText(std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t length = ShiftJisCharacterLength(text, end);
    if (end + length > limit) break;
    end += length;
  }
  text.resize(end);
}

// The channel text after its first "-" ("B13" of "GEO-B13"), or the whole text without one.
std::string BandName(const ControlBlock& control) {
  const std::string channel = control.Text(cb::kChannel, cb::kChannelLength);
  const size_t dash = channel.find('-');
  return dash == std::string::npos ? channel : channel.substr(dash + 1);
}

std::string TextOf(const TimeTextBuffer& buffer, int length) {
  const size_t size = length > 0 ? static_cast<size_t>(length) : 0;
  return std::string(buffer.data(), std::min(size, buffer.size() - 1));
}

std::string FormatToMinute(const TimeRecord& t, Language language) {
  TimeTextBuffer buffer{};
  const int length =
      language == Language::kEnglish
          ? std::snprintf(buffer.data(), buffer.size(), "%02d/%02d/%2d%02d %02d:%02d", t.day,
                          t.month, t.century, t.year_in_century, t.hour, t.minute)
          : std::snprintf(buffer.data(), buffer.size(), "%2d%02d-%02d-%02d %02d:%02d", t.century,
                          t.year_in_century, t.month, t.day, t.hour, t.minute);
  return TextOf(buffer, length);
}

std::string FormatToHour(const ShortTime& t, Language language) {
  TimeTextBuffer buffer{};
  const int length = language == Language::kEnglish
                         ? std::snprintf(buffer.data(), buffer.size(), "%02d/%02d/%4d %02d", t.day,
                                         t.month, t.year, t.hour)
                         : std::snprintf(buffer.data(), buffer.size(), "%4d-%02d-%02d %02d", t.year,
                                         t.month, t.day, t.hour);
  return TextOf(buffer, length);
}

std::string CaptionTime(const ControlBlock& control, const Settings& settings, Language language,
                        int64_t time_zone_offset) {
  const auto shown = [&](const TimeRecord& utc) {
    return settings.Jst ? ToLocalTime(utc, time_zone_offset) : utc;
  };
  if (settings.DtmObs) return FormatToMinute(shown(control.ObservationEnd()), language);
  if (settings.Rmin > 0) {
    const ShortTime rounded = RoundUpToStep(ToShortTime(control.ObservationStart()), settings.Rmin);
    return FormatToMinute(shown(ToTimeRecord(rounded)), language);
  }
  return FormatToHour(AddMinutes(ToShortTime(shown(control.ObservationStart())), settings.Amin),
                      language);
}

}  // namespace

std::string LocalZoneName(std::optional<std::string_view> tz_standard_name) {
  return tz_standard_name ? std::string(tz_standard_name->substr(0, 3)) : std::string("JST");
}

std::string FormatCaptionText(const ControlBlock& control, const Settings& settings,
                              Language language, const LocalZone& zone) {
  const std::string time = CaptionTime(control, settings, language, zone.offset) +
                           (settings.Jst ? zone.name : std::string("UTC"));
  std::string text;
  if (settings.DtmSat && control.channel_index < kFirstUnnamedChannel) {
    text = control.Text(cb::kSatellite, kSatelliteNameLimit);
    TrimTrailingNonPrinting(text);
    text += ' ' + BandName(control);
    TrimTrailingNonPrinting(text);
    text += ' ' + time;
  } else {
    text = time + ' ' + control.Text(cb::kChannel, cb::kChannelLength);
    TrimTrailingNonPrinting(text);
  }
  CutText(text, kCaptionTextLimit);
  return text;
}

}  // namespace nephrax
