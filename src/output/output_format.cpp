#include "output/output_format.h"

#include <array>
#include <strings.h>

namespace nephrax {

namespace {

constexpr std::array<std::string_view, 8> kExtensions{"BMP", "RLE", "JPG", "PNG",
                                                      "GIF", "JP2", "TIF", "EMF"};

// The extension without its ".": what follows the last "." of the final path component.
std::string_view ExtensionOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

}  // namespace

OutputFormat OutputFormatOfPath(std::string_view path) {
  const std::string_view extension = ExtensionOf(path);
  for (size_t i = 0; i < kExtensions.size(); ++i) {
    const std::string_view name = kExtensions[i];
    if (extension.size() >= name.size() &&
        strncasecmp(extension.data(), name.data(), name.size()) == 0) {
      return static_cast<OutputFormat>(i);
    }
  }
  return OutputFormat::kBmp;
}

}  // namespace nephrax
