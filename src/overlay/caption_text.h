// The text of the picture's caption: satellite, band and time of the image, or time and channel.
// Names from the control block may be Shift-JIS; a double-byte character is never split or
// trimmed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/control_block.h"
#include "core/settings.h"

namespace nephrax {

// The longest caption text; the caption adds a blank on each side.
inline constexpr size_t kCaptionTextLimit = 37;

// The local time of the run, shown when Jst is on.
struct LocalZone {
  int64_t offset = -32400;   // seconds, UTC minus local time
  std::string name = "JST";  // written straight after a local time
};

// The name of the local zone: the first three characters of the standard zone name of "TZ" when
// "TZ" is set (`tz_standard_name`), otherwise "JST", the zone of the default offset.
std::string LocalZoneName(std::optional<std::string_view> tz_standard_name);

// The caption text of the file's control block, at most kCaptionTextLimit bytes:
// satellite-first ("SAT B13 2024-07-15 03:00UTC") with DtmSat on and a known channel, otherwise
// time-first ("2024-07-15 03:00UTC GEO-B13"). The time is the scan end to the minute with DtmObs
// on; otherwise the scan start rounded up to the next Rmin step, or with Rmin 0 or less the scan
// start plus Amin minutes to the hour. Dates are year-month-day in Japanese, day/month/year in
// English; times are UTC, or local time in `zone` with Jst on.
std::string FormatCaptionText(const ControlBlock& control, const Settings& settings,
                              Language language, const LocalZone& zone);

}  // namespace nephrax
