// Feeds arbitrary bytes to the track-file reader as a file: the storm of 03 UTC on 21 June 2014
// (the hour of the bundled sample, whose track file makes a good seed) is drawn on a small
// surface, and its report row must hold the eleven columns and end with CR LF.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cyclone/cyclone_report.h"
#include "cyclone/draw_cyclones.h"
#include "cyclone/track_file.h"
#include "fuzz_file.h"
#include "support/source_file_builder.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr nephrax::TargetTime kTarget{2014, 6, 21, 3};

// A grid image of 50N..10N, 110E..160E, as the builder makes it by default.
nephrax::ControlBlock GridControlBlock() {
  nephrax::ControlBlock control;
  const std::vector<uint8_t> bytes = nephrax::testing::BuildControlBlock({});
  std::copy(bytes.begin(), bytes.end(), control.bytes.begin());
  return control;
}

void CheckReportRow(std::FILE* file, const nephrax::Settings& settings) {
  std::rewind(file);
  const std::optional<nephrax::SelectedStorm> storm = nephrax::SelectStorm(file, kTarget, settings);
  if (!storm) return;
  const std::string row = nephrax::ReportRow(*storm);
  if (std::count(row.begin(), row.end(), ',') != 10 || !row.ends_with("\r\n")) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nephrax::fuzz::FuzzFile input(data, size);
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(input.path().c_str(), "r"));
  if (!file) return 0;
  const nephrax::Settings settings;
  const nephrax::ControlBlock control = GridControlBlock();
  const nephrax::ZoomState zoom;
  std::optional<nephrax::Surface> surface = nephrax::CreateSurface(64, 48);
  if (!surface) return 0;
  nephrax::ReadTrackFile(*surface, {settings, nephrax::Language::kEnglish, control, zoom}, kTarget,
                         file.get(), nullptr);
  CheckReportRow(file.get(), settings);
  return 0;
}
