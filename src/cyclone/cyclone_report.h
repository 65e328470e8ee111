// The CSV report of the storms the cyclone overlay drew: a header line naming the target hour,
// then one row per storm in drawing order. Nothing is quoted; every line ends with CR LF.
#pragma once

#include <string>

#include "cyclone/track_file.h"
#include "platform/atomic_file.h"

namespace nephrax {

// "MMDDHHUTC,Name,Lat,Lon,Ac,Wf,At,T-no,CI-no,DDD,FF" for the target's month, day and hour.
std::string ReportHeaderLine(const TargetTime& target);

// The storm's row: label, name ("NAMELESS" when it has none), latitude and longitude with one
// decimal and their hemisphere letters, the one-character Ac, Wf and At classes ("/" outside their
// ranges), T- and CI-number, movement direction and speed ("///" and "//" when unknown; a storm
// moving slower than 3 is reported as standing still).
std::string ReportRow(const SelectedStorm& storm);

// A report being written. It replaces the file at its path only when it is closed, so that a run
// that stops early leaves the previous report whole. A report that cannot be created is left out
// without a message: the overlay draws on without it.
class CycloneReport {
 public:
  // Starts the report with its header line.
  CycloneReport(const std::string& path, const TargetTime& target);

  bool IsOpen() const { return file_.IsOpen(); }
  void AddRow(const SelectedStorm& storm);
  // Puts the finished report in place.
  void Close();

 private:
  void WriteLine(const std::string& line);

  AtomicFile file_;
};

}  // namespace nephrax
