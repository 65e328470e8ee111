// What a run takes from its surroundings: its own directory and the time zone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nephrax {

// The directory of the running executable, ending in "/"; `fallback_path` (normally argv[0]) is
// used when the executable's own path cannot be read.
std::string ProgramDirectory(const std::string& fallback_path);

// Seconds of UTC minus local time from the "TZ" environment variable (its standard offset only);
// -32400 (local time UTC + 9 h) when "TZ" is not set.
int64_t TimeZoneOffset();

// The standard zone name "TZ" gives ("EST" of "EST5EDT"); none when "TZ" is not set.
std::optional<std::string> TimeZoneStandardName();

// Joins a directory and a file name with "/" unless the directory is empty or already ends in one.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace nephrax
