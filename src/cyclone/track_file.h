// Track files of tropical cyclones: comma-separated Dvorak analyses of one storm, as history files
// ("TC*.HST") and early-analysis files ("EDA*.csv") hold them.
//
// Line 1 is the header: "DVORAK" (in any case), the depression label, the typhoon label, the storm
// name, an unread field, the early-analysis number and the format version ("V2"). Line 2 is not
// read. Every later line is one analysis: its date and hour, the stage letter ("T" or "D"), the
// centre's latitude and longitude, and optional fields up to the 31st (the CI-number). Fields are
// taken by the rule of the setup file's lists (setup/list_field.h), numbers as "%d" and "%f" read
// them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "core/colour.h"
#include "core/settings.h"
#include "core/time_record.h"

namespace nephrax {

// The hour of the picture the storms are looked up for.
struct TargetTime {
  int32_t year = 0;  // full year
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;

  friend bool operator==(const TargetTime&, const TargetTime&) = default;
};

// The observation start plus `amin` minutes, carried through the calendar; the minute is dropped.
TargetTime TargetTimeOf(const TimeRecord& observation, int32_t amin);

struct TrackHeader {
  std::string depression_label;  // at most 7 bytes
  std::string typhoon_label;     // at most 7 bytes
  std::string name;              // at most 15 bytes
  std::string early_label;       // "EDA%03d" of the early-analysis number, or empty
  int32_t version = 0;           // the number after "V" of field 7; 0 without one
};

// The header of line 1; none when it does not begin with "DVORAK", lacks one of the fields 1 to 4,
// or has no label at all.
std::optional<TrackHeader> ReadTrackHeader(std::string_view line);

// One analysis line. The optional fields hold their defaults when missing or unreadable.
struct TrackRecord {
  TargetTime time;
  char stage = 'T';  // upper-cased: 'T' typhoon or 'D' depression
  float lat = 0;     // degrees, north positive
  float lon = 0;     // degrees, east positive
  float ac = -1.0F;
  float wf = -1.0F;
  int32_t direction = -1;  // movement, whole degrees
  int32_t speed = -1;
  float at = -99.0F;
  float t_number = -1.0F;
  float ci_number = -1.0F;
  bool early_stage = false;  // analysed at the early stage, by the rule of the format version
};

// The analysis of a record line; none when its date and hour, stage, latitude or longitude are
// missing or unreadable. `version` is the file's format version, which decides how an early-stage
// analysis is marked: from version 1 on field 8 reads "Early Stage"; before, field 8 reads
// "Unknown" and field 22 "UNDEFINE".
std::optional<TrackRecord> ReadTrackRecord(std::string_view line, int32_t version);

// The storm a track file gives for the target hour, as it is drawn and reported.
struct SelectedStorm {
  TrackRecord record;   // Wf and At are cleared (-1.0, -99.0) for an early-stage storm
  std::string label;    // the label of the style it is drawn in
  std::string name;     // the storm name, possibly empty
  Colour colour;        // TypCol, TdpCol or EdaCol
  float intensity = 0;  // CI-number, or T-number for an early-stage storm; negative: not drawn
};

// Reads the track file `file` (open for reading) and gives the storm of its first record at
// `target`: a typhoon when the stage is "T" and the file has a typhoon label, a depression when
// the stage is "D" and it has a depression label, either replaced by the early-analysis style when
// the file has an early-analysis label and the record is early stage. None when the header is not
// usable, no record lies at the target hour, or the first one there has no style; no line after
// that record is read. Lines are read as at most 10239 bytes each, a longer line as several.
// Prints "Memory allocate error." when the line buffer cannot be had.
std::optional<SelectedStorm> SelectStorm(std::FILE* file, const TargetTime& target,
                                         const Settings& settings);

}  // namespace nephrax
