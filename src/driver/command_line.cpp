#include "driver/command_line.h"

#include <cctype>

#include "core/messages.h"
#include "core/version.h"

namespace nephrax {

namespace {

bool IsLetterOrQuestion(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '?';
}

// The value of a value option starts at the fourth character: the third (normally "=") is
// skipped whatever it is.
std::string OptionValue(std::string_view argument) {
  return argument.size() < 3 ? std::string() : std::string(argument.substr(3));
}

void TakeFileName(std::string_view argument, CommandLine& line) {
  if (line.file_name_count == 0) line.source_path = argument;
  if (line.file_name_count == 1) line.destination_path = argument;
  ++line.file_name_count;
}

// Applies one option; returns false when parsing must stop (the usage text was asked for).
bool TakeOption(std::string_view argument, CommandLine& line) {
  const char letter = argument.size() < 2
                          ? '\0'
                          : static_cast<char>(std::tolower(static_cast<unsigned char>(argument[1])));
  switch (letter) {
    case '?': line.usage_requested = true; return false;
    case 'a': line.animation = true; break;
    case 'g': line.geotiff = true; break;
    case 'l': line.english = true; break;
    case 'e': line.elevation_directory = OptionValue(argument); break;
    case 'h': line.history_directory = OptionValue(argument); break;
    case 'm': line.map_file = OptionValue(argument); break;
    case 's': line.setup_file = OptionValue(argument); break;
    case 't': line.report_path = OptionValue(argument); break;
    default: PrintMessage(msg::kCommandParameter); break;
  }
  return true;
}

}  // namespace

bool IsOption(std::string_view argument) {
  if (argument.starts_with('-')) return true;
  if (!argument.starts_with('/') || argument.size() < 2 || !IsLetterOrQuestion(argument[1]))
    return false;
  return argument.size() == 2 || argument[2] == '=';
}

CommandLine ParseCommandLine(std::span<const std::string_view> arguments) {
  CommandLine line;
  for (const std::string_view argument : arguments) {
    if (!IsOption(argument)) {
      TakeFileName(argument, line);
    } else if (!TakeOption(argument, line)) {
      break;
    }
  }
  return line;
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "\n>NEPHRAX [-e=elv_dir] [-h=hst_dir] [-m=map_file] [-s=setup_file] [-t=text_file] "
               "[-l] [-g] [-a] source_file destination_file\n"
               "\tparameter\n"
               "\t-e   :directory of elevation data\n"
               "\t-h   :directory of hst data\n"
               "\t-m   :map data\n"
               "\t-s   :setup data\n"
               "\t-t   :text data (output)\n"
               "\t-l   :english mode for displaying date\n"
               "\t-g   :GeoTiff mode for outputting TIFF form\n"
               "\t-a   :Animated Gif mode for outputting GIF form\n"
               "Version %s\n"
               "%s\n",
               kFileVersion, kLegalCopyright);
}

}  // namespace nephrax
