// The GeoTIFF plugin (libpixkit_geotiff.so), which the library loads from its own directory the
// first time it tags a TIFF: found beside the library of this build, and its absence or a file
// without its function a refusal of GeoTIFF alone.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <optional>

#include "pixkit/test_pictures.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::CallResult;
using testing::CaptureCall;
using testing::Dib;
using testing::Library;
using testing::TempDir;

const std::string kBinDir = NEPHRAX_BIN_DIR;
const std::string kPluginFile = "libpixkit_geotiff.so";
constexpr std::array<double, 4> kArea{50, 110, 0.25, 0.5};  // top, left, latitude, longitude steps

template <typename Number>
Number Read(const std::vector<uint8_t>& file, size_t at) {
  Number number{};
  if (at + sizeof number <= file.size()) std::memcpy(&number, file.data() + at, sizeof number);
  return number;
}

// The doubles of a field of a little-endian TIFF's first directory; none when it lacks the field.
std::optional<std::vector<double>> DoubleField(const std::vector<uint8_t>& file, uint16_t tag) {
  constexpr uint16_t kDoubleType = 12;
  const auto directory = Read<uint32_t>(file, 4);
  const auto entries = Read<uint16_t>(file, directory);
  for (size_t entry = directory + 2; entry < directory + 2 + 12u * entries; entry += 12) {
    if (Read<uint16_t>(file, entry) != tag || Read<uint16_t>(file, entry + 2) != kDoubleType) {
      continue;
    }
    std::vector<double> values(Read<uint32_t>(file, entry + 4));
    const auto offset = Read<uint32_t>(file, entry + 8);
    for (size_t i = 0; i < values.size(); ++i) values[i] = Read<double>(file, offset + 8 * i);
    return values;
  }
  return std::nullopt;
}

TEST(GeoTiffPluginTest, IsFoundBesideTheLibraryAndTagsTheTiff) {
  TempDir dir;
  const std::string tiff = dir.File("picture.tif");
  const Dib dib = testing::MakeDib(testing::GreyPicture(4, 3));
  ASSERT_EQ(Library().CnvBmpTif(0, tiff.c_str(), &dib.header, dib.bits.data()), 1);
  ASSERT_EQ(testing::ReadBytes(tiff)[0], 'I') << "the reader below takes little-endian TIFFs";

  const CallResult call =
      CaptureCall([&] { return Library().SetGeoTiff(0, tiff.c_str(), kArea.data()); });

  EXPECT_EQ(call.result, 1);
  EXPECT_EQ(call.messages, "");
  const std::vector<uint8_t> written = testing::ReadBytes(tiff);
  // The pixel scale and the tie point of the first pixel's outer corner, half a step from its
  // centre: the reference reached the plugin field for field.
  EXPECT_EQ(DoubleField(written, 33550), (std::vector<double>{0.5, 0.25, 0}));
  EXPECT_EQ(DoubleField(written, 33922), (std::vector<double>{0, 0, 0, 109.75, 50.125, 0}));
}

struct PluginCase {
  const char* name;
  // Puts what stands for the plugin beside the library copied to `dir`.
  void (*place)(const TempDir& dir);
};

void PrintTo(const PluginCase& plugin, std::ostream* out) {
  *out << plugin.name;
}

// The library of this build copied alone to a directory of the test's: its plugin is whatever
// the case puts there.
class WithoutPluginTest : public ::testing::TestWithParam<PluginCase> {
 protected:
  WithoutPluginTest() {
    std::filesystem::copy_file(kBinDir + "/" + PIXKIT_LIBRARY_NAME, dir_.File(PIXKIT_LIBRARY_NAME));
    GetParam().place(dir_);
  }

  TempDir dir_;
};

TEST_P(WithoutPluginTest, GeoTiffIsASupportErrorAndEveryFormatStillWrites) {
  const ImageLibrary library = LoadImageLibrary(dir_.path() + "/");
  ASSERT_TRUE(library.IsLoaded());
  const Dib dib = testing::MakeDib(testing::FewColourPicture(5, 4));
  for (PixkitConverter* convert : {library.CnvBmpJpeg, library.CnvBmpPng, library.CnvBmpGif,
                                   library.CnvBmpJ2k, library.CnvBmpTif}) {
    EXPECT_EQ(convert(0, dir_.File("picture").c_str(), &dib.header, dib.bits.data()), 1);
  }
  const std::string tiff = dir_.File("picture");  // the TIFF, written last
  const std::vector<uint8_t> plain = testing::ReadBytes(tiff);

  const CallResult call =
      CaptureCall([&] { return library.SetGeoTiff(0, tiff.c_str(), kArea.data()); });

  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(call.messages, "Support error.\r\n");
  EXPECT_EQ(testing::ReadBytes(tiff), plain);
}

INSTANTIATE_TEST_SUITE_P(Plugins, WithoutPluginTest,
                         ::testing::Values(PluginCase{"Missing", [](const TempDir&) {}},
                                           PluginCase{"NotALibrary",
                                                      [](const TempDir& dir) {
                                                        testing::WriteBytes(
                                                            dir.File(kPluginFile),
                                                            std::vector<uint8_t>{'n', 'o', 't', ' ',
                                                                                 'E', 'L', 'F'});
                                                      }},
                                           // A shared library, but without the tagging function.
                                           PluginCase{"WithoutItsFunction",
                                                      [](const TempDir& dir) {
                                                        std::filesystem::copy_file(
                                                            dir.File(PIXKIT_LIBRARY_NAME),
                                                            dir.File(kPluginFile));
                                                      }}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
