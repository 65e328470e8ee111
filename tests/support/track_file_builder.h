// Builds tropical-cyclone track files for tests, the fuzz seeds and the bundled sample. Every
// field is text, so that malformed values can be written as easily as good ones.
#pragma once

#include <string>
#include <vector>

#include "support/setup_file_builder.h"  // WriteTextFile, ReadTextFile

namespace nephrax::testing {

struct TrackHeaderSpec {
  std::string mark = "DVORAK";
  std::string depression_label = "TD";
  std::string typhoon_label = "T1407";
  std::string name = "CIRRUS";
  std::string early_number;    // field 6; empty: none
  std::string version = "V2";  // field 7
  size_t field_count = 7;      // fields written; the line ends after them
};

// One analysis. The fields not named here are written empty.
struct TrackRecordSpec {
  std::string time = "2014-06-21 03";
  std::string stage = "T";
  std::string lat = "20.0";
  std::string lon = "130.0";
  std::string ac = "60.0";         // field 6
  std::string wf = "550.0";        // field 7
  std::string status = "Typhoon";  // field 8
  std::string direction = "290";   // field 10
  std::string speed = "10";        // field 11
  std::string secondary_status;    // field 22
  std::string at = "0.3";          // field 24
  std::string t_number = "4.5";    // field 30
  std::string ci_number = "5.0";   // field 31
  size_t field_count = 31;         // fields written; the line ends after them
};

struct TrackFileSpec {
  TrackHeaderSpec header;
  std::string headings = "Time,Stage,Lat,Lon";  // line 2, which readers skip
  std::vector<TrackRecordSpec> records;
  std::string line_end = "\r\n";
};

std::string TrackHeaderLine(const TrackHeaderSpec& spec);
std::string TrackRecordLine(const TrackRecordSpec& spec);
// The whole file, every line ended with the spec's line end.
std::string BuildTrackFile(const TrackFileSpec& spec);

}  // namespace nephrax::testing
