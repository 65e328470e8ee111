// Output picture formats, chosen by the destination's extension.
#pragma once

#include <string_view>

namespace nephrax {

// The order is the order in which the extensions are tried.
enum class OutputFormat { kBmp, kRle, kJpg, kPng, kGif, kJp2, kTif, kEmf };

// The format of the destination path: the first format whose three-letter name matches the
// beginning of the extension (without regard to case), else BMP. So ".tiff" is TIF and ".jpeg"
// is BMP.
OutputFormat OutputFormatOfPath(std::string_view path);

}  // namespace nephrax
