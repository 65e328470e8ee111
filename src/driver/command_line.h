// The command line: options, file names and the usage text.
#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nephrax {

struct CommandLine {
  std::string source_path;       // the source file, or the list file in animation mode
  std::string destination_path;  // the picture to write
  std::optional<std::string> elevation_directory;  // -e: terrain shading
  std::optional<std::string> history_directory;    // -h: tropical-cyclone track files
  std::optional<std::string> map_file;             // -m: coastline data
  std::optional<std::string> setup_file;           // -s
  std::optional<std::string> report_path;          // -t: CSV report of the cyclone overlay
  bool english = false;    // -l
  bool geotiff = false;    // -g
  bool animation = false;  // -a
  bool usage_requested = false;  // -? was met; parsing stopped there
  int file_name_count = 0;
};

// Parses the arguments after the program name. An unknown option prints
// "Command parameter error." and parsing goes on.
CommandLine ParseCommandLine(std::span<const std::string_view> arguments);

// True when the argument is an option rather than a file name. "-" always starts an option; "/"
// only in the forms "/X" and "/X=value" (X a letter or "?"), since any other "/..." is a path.
bool IsOption(std::string_view argument);

void PrintUsage(std::FILE* out);

}  // namespace nephrax
