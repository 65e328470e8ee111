#include "driver/run.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <new>

#include "core/messages.h"
#include "cyclone/draw_cyclones.h"
#include "driver/animation.h"
#include "output/geo_reference.h"
#include "output/image_library.h"
#include "output/picture_writer.h"
#include "platform/system_info.h"
#include "render/draw_picture.h"
#include "setup/setup_file.h"
#include "source/source_reader.h"

namespace nephrax {

namespace {

constexpr size_t kMinimumBufferSize = 1024;

// Reads the source file, draws it on a surface of the picture size and writes the picture.
int RunSinglePicture(RunState& state) {
  if (!ReadSourceFile(state.command_line.source_path, state.channels, state.settings, state.display,
                      state.source)) {
    return kExitNoPicture;
  }
  const std::optional<Surface> surface = DrawSourcePicture(state);
  if (!surface) return kExitNoPicture;
  const GeoArea area = DisplayedArea(state.source.control, state.zoom,
                                     PictureSize{surface->width(), surface->height()});
  return WritePicture(*surface, state.command_line.destination_path, state.output_format,
                      state.image_library, state.settings, area)
             ? kExitWritten
             : kExitNoPicture;
}

}  // namespace

std::optional<Surface> DrawSourcePicture(RunState& state) {
  std::optional<Surface> surface =
      CreateSurface(state.source.geometry.output_width, state.source.geometry.output_height);
  if (!surface) return std::nullopt;
  const Language language = state.command_line.english ? Language::kEnglish : Language::kJapanese;
  const OverlayInputs overlays{state.command_line.elevation_directory,
                               &state.label_fonts,
                               language,
                               state.local_zone,
                               state.program_directory,
                               &state.map_image};
  if (!DrawPicture(*surface, state.source, state.display, state.settings,
                   state.label_fonts.label.metrics(), state.zoom, overlays)) {
    PrintMessage(msg::kImageDraw);
    return std::nullopt;
  }
  // The storm marks lie on top of everything else; every drawn frame re-creates the report.
  if (state.command_line.history_directory) {
    DrawCyclones(*surface, {state.settings, language, state.source.control, state.zoom},
                 *state.command_line.history_directory, state.command_line.report_path);
  }
  return surface;
}

std::optional<std::vector<uint8_t>> LoadMapFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    PrintMessage(msg::kFileOpen);
    return std::nullopt;
  }
  try {
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
    if (bytes.size() < kMinimumBufferSize) bytes.resize(kMinimumBufferSize, 0);
    return bytes;
  } catch (const std::bad_alloc&) {
    PrintMessage(msg::kMemoryAllocate);
    return std::nullopt;
  }
}

int RunConverter(RunState& state, std::span<const std::string_view> arguments) {
  const std::string program_path = arguments.empty() ? std::string() : std::string(arguments[0]);
  state.command_line = ParseCommandLine(arguments.empty() ? arguments : arguments.subspan(1));
  CommandLine& line = state.command_line;
  if (line.usage_requested) {
    PrintUsage(stdout);
    return kExitWritten;
  }
  if (line.file_name_count < 2) {
    PrintMessage(msg::kCommandParameter);
    return kExitBadStart;
  }

  state.program_directory = ProgramDirectory(program_path);
  state.image_library = LoadImageLibrary(state.program_directory);
  state.local_zone = LocalZone{TimeZoneOffset(), LocalZoneName(TimeZoneStandardName())};
  if (!line.animation) state.output_format = OutputFormatOfPath(line.destination_path);
  // -g sets GeoTif before the setup file is read, so that the file's own entry overrides it.
  state.settings.GeoTif = line.geotiff;
  if (line.setup_file) {
    ReadSetupFile(*line.setup_file, line.english ? Language::kEnglish : Language::kJapanese,
                  state.settings, state.channels);
  }
  if (line.map_file) state.map_image = LoadMapFile(*line.map_file);
  state.label_fonts =
      CreateLabelFonts(state.settings, line.english ? Language::kEnglish : Language::kJapanese);

  return line.animation ? RunAnimation(state) : RunSinglePicture(state);
}

}  // namespace nephrax
