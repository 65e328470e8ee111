// The one record of a run: the command line, every setting, and what each stage of a run leaves
// for the next. It is created in main and passed by reference; nothing else holds state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calsun/display_tables.h"
#include "core/settings.h"
#include "driver/command_line.h"
#include "output/image_library.h"
#include "output/output_format.h"
#include "overlay/caption_text.h"
#include "render/label_fonts.h"
#include "render/map_transform.h"
#include "source/channel_table.h"
#include "source/source_data.h"

namespace nephrax {

struct RunState {
  CommandLine command_line;
  Settings settings;
  ChannelTable channels = BuiltInChannelTable();
  std::string program_directory;  // the executable's directory, ending in "/"
  LocalZone local_zone;           // the offset and name of local time, from "TZ"
  OutputFormat output_format = OutputFormat::kBmp;
  ImageLibrary image_library;  // loaded at start; unloaded when the run state goes
  // The coastline data: the -m file, or else the file the first picture with coastlines chose by
  // its scale; zero-filled to 1024 bytes or more.
  std::optional<std::vector<uint8_t>> map_image;
  DisplayTables display;   // the palette of the current file; the count-to-index table of the run
  SourceData source;       // the source file being converted
  LabelFonts label_fonts;  // created once the setup file has named the label face
  ZoomState zoom;          // once set by a grid image, in force for the rest of the run
};

}  // namespace nephrax
