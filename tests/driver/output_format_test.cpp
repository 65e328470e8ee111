#include "output/output_format.h"

#include <gtest/gtest.h>

namespace nephrax {
namespace {

struct FormatCase {
  const char* path;
  OutputFormat format;
};

class OutputFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(OutputFormatTest, ExtensionSelectsFormat) {
  EXPECT_EQ(OutputFormatOfPath(GetParam().path), GetParam().format) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, OutputFormatTest,
    ::testing::Values(FormatCase{"out.bmp", OutputFormat::kBmp}, FormatCase{"out.rle", OutputFormat::kRle},
                      FormatCase{"out.JPG", OutputFormat::kJpg}, FormatCase{"out.Png", OutputFormat::kPng},
                      FormatCase{"a/b/out.gif", OutputFormat::kGif}, FormatCase{"out.jp2", OutputFormat::kJp2},
                      FormatCase{"out.tif", OutputFormat::kTif}, FormatCase{"out.tiff", OutputFormat::kTif},
                      FormatCase{"out.emf", OutputFormat::kEmf},
                      // Names that match no format fall back to BMP.
                      FormatCase{"out.jpeg", OutputFormat::kBmp}, FormatCase{"out", OutputFormat::kBmp},
                      FormatCase{"out.", OutputFormat::kBmp}, FormatCase{"out.ti", OutputFormat::kBmp},
                      // Only the last component's extension counts.
                      FormatCase{"dir.png/out", OutputFormat::kBmp},
                      FormatCase{"out.png.gif", OutputFormat::kGif}));

}  // namespace
}  // namespace nephrax
