// The tropical-cyclone overlay: every track file of the history directory that has an analysis at
// the picture's hour gives a storm mark and, when a report is being written, a row of it. The
// early-analysis files ("EDA*.csv") are read first, then the history files ("TC*.HST"), each set
// in name order; the names are matched without regard to case. When no storm at all is drawn, the
// notice says so.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/control_block.h"
#include "core/settings.h"
#include "cyclone/cyclone_report.h"
#include "cyclone/track_file.h"
#include "render/map_transform.h"
#include "render/surface.h"

namespace nephrax {

// What the overlay takes from the run: the settings and language of the marks, and the source
// file's control block and the zoom, which place the storms on the picture.
struct CycloneScene {
  const Settings& settings;
  Language language;
  const ControlBlock& control;
  const ZoomState& zoom;
};

// Draws the storms of the track files in `history_directory` (the current directory when empty)
// at the observation time plus `Amin` minutes, or the notice when there is none, and writes the
// report to `report_path` when one is given. A track file that cannot be opened, or whose path
// would exceed 255 bytes, prints "File open error." and the others are read. Returns true when at
// least one storm was drawn.
bool DrawCyclones(Surface& surface, const CycloneScene& scene, const std::string& history_directory,
                  const std::optional<std::string>& report_path);

// Draws the storm the open track file `file` gives for `target` in the label font already
// selected, and adds its row to `report` when there is one. Returns true when a storm was drawn.
// A storm whose centre cannot be placed on the picture (the area has no extent, or the position
// lies beyond the int32 range) is far outside it: it counts as drawn, shows nothing and is
// reported.
bool ReadTrackFile(Surface& surface, const CycloneScene& scene, const TargetTime& target,
                   std::FILE* file, CycloneReport* report);

// The names of the entries of `directory` matching the wildcard `pattern` without regard to case,
// in name order; none when the directory cannot be listed.
std::vector<std::string> FindTrackFiles(const std::string& directory, const char* pattern);

}  // namespace nephrax
