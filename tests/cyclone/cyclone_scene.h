// The scene the cyclone tests draw on: a grid image of 50N..10N, 110E..160E observed at a chosen
// time, shown on a small surface, and helpers that write track files into a history directory.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/control_block.h"
#include "core/settings.h"
#include "cyclone/draw_cyclones.h"
#include "render/surface.h"
#include "support/source_file_builder.h"
#include "support/track_file_builder.h"

namespace nephrax::testing {

inline constexpr TimeRecord kSampleTime{20, 14, 6, 21, 3, 0, 0};

inline ControlBlock ObservedAt(const TimeRecord& start) {
  SourceFileSpec spec;
  spec.start = start;
  ControlBlock control;
  const std::vector<uint8_t> bytes = BuildControlBlock(spec);
  std::copy(bytes.begin(), bytes.end(), control.bytes.begin());
  return control;
}

struct TrackFileEntry {
  std::string name;
  TrackFileSpec spec;
};

// Writes the files into `directory`, which is created first.
inline void WriteTrackFiles(const std::string& directory,
                            const std::vector<TrackFileEntry>& files) {
  std::filesystem::create_directories(directory);
  for (const TrackFileEntry& file : files) {
    WriteTextFile(directory + "/" + file.name, BuildTrackFile(file.spec));
  }
}

}  // namespace nephrax::testing
