#include "cyclone/draw_cyclones.h"

#include <fnmatch.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <system_error>

#include "core/messages.h"
#include "cyclone/storm_marks.h"
#include "platform/system_info.h"
#include "render/font.h"

namespace nephrax {

namespace {

// Early analyses come before the history files, so their storms are drawn and reported first.
constexpr std::array<const char*, 2> kTrackFilePatterns{"EDA*.csv", "TC*.HST"};

// The longest path, in bytes, a directory and a track file's name may make together.
constexpr size_t kPathLimit = 255;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// The track file at `path` open for reading; none (after "File open error.") when the path is
// too long, names a directory or cannot be opened.
OpenFile OpenTrackFile(const std::string& path) {
  std::error_code error;
  OpenFile file;
  if (path.size() <= kPathLimit && !std::filesystem::is_directory(path, error)) {
    file.reset(std::fopen(path.c_str(), "r"));
  }
  if (!file) PrintMessage(msg::kFileOpen);
  return file;
}

bool ReadTrackFileAt(Surface& surface, const CycloneScene& scene, const TargetTime& target,
                     const std::string& path, CycloneReport* report) {
  const OpenFile file = OpenTrackFile(path);
  return file && ReadTrackFile(surface, scene, target, file.get(), report);
}

}  // namespace

std::vector<std::string> FindTrackFiles(const std::string& directory, const char* pattern) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entries(directory.empty() ? "." : directory, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().string();
    if (fnmatch(pattern, name.c_str(), FNM_CASEFOLD) == 0) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool ReadTrackFile(Surface& surface, const CycloneScene& scene, const TargetTime& target,
                   std::FILE* file, CycloneReport* report) {
  const std::optional<SelectedStorm> storm = SelectStorm(file, target, scene.settings);
  if (!storm) return false;
  const std::optional<PicturePoint> centre =
      LatLonToPicture(scene.control, scene.zoom, PictureSize{surface.width(), surface.height()},
                      storm->record.lat, storm->record.lon);
  if (centre) {
    DrawStorm(surface, scene.settings,
              StormMark{{centre->x, centre->y}, storm->colour, storm->label, storm->intensity});
  }
  if (report != nullptr) report->AddRow(*storm);
  return true;
}

bool DrawCyclones(Surface& surface, const CycloneScene& scene, const std::string& history_directory,
                  const std::optional<std::string>& report_path) {
  const Settings& settings = scene.settings;
  const TargetTime target = TargetTimeOf(scene.control.ObservationStart(), settings.Amin);
  std::optional<CycloneReport> report;
  if (report_path) report.emplace(*report_path, target);
  CycloneReport* open_report = report && report->IsOpen() ? &*report : nullptr;

  bool drawn = false;
  {
    // The font outlives the state saver, which selects the previous font back.
    const std::optional<Font> label_font =
        CreateStormFont(settings, scene.language, settings.HstSiz);
    const SurfaceStateSaver saver(surface);
    SelectStormLabels(surface, settings, label_font ? &*label_font : nullptr);
    for (const char* pattern : kTrackFilePatterns) {
      for (const std::string& name : FindTrackFiles(history_directory, pattern)) {
        drawn |=
            ReadTrackFileAt(surface, scene, target, JoinPath(history_directory, name), open_report);
      }
    }
  }
  if (open_report != nullptr) open_report->Close();
  if (!drawn) DrawNotice(surface, settings, scene.language);
  return drawn;
}

}  // namespace nephrax
