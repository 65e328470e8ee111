// WritePicture and WriteAnimationFrame over the image-format library: which entry points are
// called, with what, in which order, and how the destination is replaced. A recording library
// stands in for the real one where the calls themselves are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "output/picture_writer.h"
#include "support/source_file_builder.h"
#include "write_picture_fixture.h"

namespace nephrax {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// What the recording entry points saw. The entry points are plain functions, so the record is
// shared by them; each test starts it afresh.
struct Record {
  std::vector<std::string> calls;  // entry point names, in order
  std::string path;                // the path the converter was given
  std::string geotiff_path;
  std::array<double, 4> geotiff_parameters{};
  int32_t quantiser = -1;
  DibHeader header{};
  const uint8_t* bits = nullptr;
  int32_t handle = 0;
  int32_t delay = 0;
  int32_t result = 1;  // what the converters, SetGeoTiff and PutAgif return
};

Record& TheRecord() {
  static Record record;
  return record;
}

const std::string kConverted = "converted";

int32_t RecordConversion(const char* name, const char* path, const DibHeader* header,
                         const uint8_t* bits) {
  Record& record = TheRecord();
  record.calls.push_back(name);
  record.path = path;
  record.header = *header;
  record.bits = bits;
  // The library writes the file it is given, whatever else it does.
  WriteBytes(path, std::vector<uint8_t>(kConverted.begin(), kConverted.end()));
  return record.result;
}

template <const char* kName>
int32_t Convert(int32_t, const char* path, const DibHeader* header, const uint8_t* bits) {
  return RecordConversion(kName, path, header, bits);
}

constexpr char kJpegName[] = "CnvBmpJpeg";
constexpr char kPngName[] = "CnvBmpPng";
constexpr char kGifName[] = "CnvBmpGif";
constexpr char kJ2kName[] = "CnvBmpJ2k";
constexpr char kTifName[] = "CnvBmpTif";

void RecordQuantiser(int32_t high_quality) {
  TheRecord().calls.push_back("SetQntHiQt");
  TheRecord().quantiser = high_quality;
}

int32_t RecordGeoTiff(int32_t, const char* path, const double* parameters) {
  Record& record = TheRecord();
  record.calls.push_back("SetGeoTiff");
  record.geotiff_path = path;
  std::copy(parameters, parameters + 4, record.geotiff_parameters.begin());
  return record.result;
}

int32_t RecordFrame(int32_t, const DibHeader* header, const uint8_t* bits, int32_t handle,
                    int32_t delay) {
  Record& record = TheRecord();
  record.calls.push_back("PutAgif");
  record.header = *header;
  record.bits = bits;
  record.handle = handle;
  record.delay = delay;
  return record.result;
}

ImageLibrary RecordingLibrary() {
  TheRecord() = Record{};
  ImageLibrary library;
  library.SetQntHiQt = RecordQuantiser;
  library.CnvBmpJpeg = Convert<kJpegName>;
  library.CnvBmpPng = Convert<kPngName>;
  library.CnvBmpGif = Convert<kGifName>;
  library.CnvBmpJ2k = Convert<kJ2kName>;
  library.CnvBmpTif = Convert<kTifName>;
  library.SetGeoTiff = RecordGeoTiff;
  library.PutAgif = RecordFrame;
  return library;
}

using testing::EntriesOf;
using testing::kEarlierPicture;
using testing::Write;
using testing::WriteResult;

struct LibraryFormat {
  const char* name;
  OutputFormat format;
  const char* converter;
};

void PrintTo(const LibraryFormat& format, std::ostream* out) {
  *out << format.name;
}

const LibraryFormat kLibraryFormats[] = {{"Jpg", OutputFormat::kJpg, kJpegName},
                                         {"Png", OutputFormat::kPng, kPngName},
                                         {"Gif", OutputFormat::kGif, kGifName},
                                         {"Jp2", OutputFormat::kJp2, kJ2kName},
                                         {"Tif", OutputFormat::kTif, kTifName}};

class LibraryFormatTest : public ::testing::TestWithParam<LibraryFormat> {
 protected:
  TempDir dir_;
  const Surface surface_ = CreateSurface(101, 10).value();
};

TEST_P(LibraryFormatTest, ConverterWritesATemporaryFileThatReplacesTheDestination) {
  const std::string destination = dir_.File("picture.out");
  WriteBytes(destination, kEarlierPicture);
  const ImageLibrary library = RecordingLibrary();

  const WriteResult result = Write(surface_, destination, GetParam().format, library);

  EXPECT_TRUE(result.written);
  EXPECT_EQ(result.messages, "");
  const Record& record = TheRecord();
  EXPECT_EQ(record.calls.back(), GetParam().converter);
  EXPECT_NE(record.path, destination);
  EXPECT_EQ(std::filesystem::path(record.path).parent_path(), dir_.path());
  EXPECT_EQ(ReadBytes(destination), std::vector<uint8_t>(kConverted.begin(), kConverted.end()));
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"picture.out"});
  // The surface's own rows, with the header of 24-bit rows of 304 bytes.
  EXPECT_EQ(record.bits, surface_.DibRows().data());
  EXPECT_EQ(record.header.size, 40u);
  EXPECT_EQ(record.header.width, 101);
  EXPECT_EQ(record.header.height, 10);
  EXPECT_EQ(record.header.bit_count, 24);
  EXPECT_EQ(record.header.compression, kBiRgb);
  EXPECT_EQ(record.header.image_size, 3040u);
}

// The library says why it failed; the earlier picture stays and nothing else is left.
TEST_P(LibraryFormatTest, FailedConversionKeepsTheEarlierPicture) {
  const std::string destination = dir_.File("picture.out");
  WriteBytes(destination, kEarlierPicture);
  const ImageLibrary library = RecordingLibrary();
  TheRecord().result = 0;

  const WriteResult result = Write(surface_, destination, GetParam().format, library);

  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.messages, "");
  EXPECT_EQ(ReadBytes(destination), kEarlierPicture);
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"picture.out"});
}

TEST_P(LibraryFormatTest, MissingConverterIsASupportError) {
  ImageLibrary library = RecordingLibrary();
  library.CnvBmpJpeg = library.CnvBmpPng = library.CnvBmpGif = library.CnvBmpJ2k =
      library.CnvBmpTif = nullptr;

  const WriteResult result = Write(surface_, dir_.File("picture.out"), GetParam().format, library);

  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.messages, "Support error.\r\n");
  EXPECT_TRUE(EntriesOf(dir_.path()).empty());
}

TEST_P(LibraryFormatTest, UnwritableDirectoryIsAFileCreateError) {
  const ImageLibrary library = RecordingLibrary();
  const WriteResult result =
      Write(surface_, dir_.File("missing/picture.out"), GetParam().format, library);
  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.messages, "File create error.\r\n");
  EXPECT_TRUE(TheRecord().calls.empty());
}

// GeoTIFF tags go into TIFF pictures only.
TEST_P(LibraryFormatTest, GeoTiffTagsOnlyForTiffs) {
  const ImageLibrary library = RecordingLibrary();
  Settings settings;
  settings.GeoTif = true;
  ASSERT_TRUE(Write(surface_, dir_.File("picture.out"), GetParam().format, library, settings,
                    GeoArea{50, 110, 10, 160})
                  .written);
  const bool tiff = GetParam().format == OutputFormat::kTif;
  EXPECT_EQ(std::count(TheRecord().calls.begin(), TheRecord().calls.end(), "SetGeoTiff"),
            tiff ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, LibraryFormatTest, ::testing::ValuesIn(kLibraryFormats),
                         [](const auto& info) { return std::string(info.param.name); });

class GifQuantiserTest : public ::testing::TestWithParam<bool> {};

TEST_P(GifQuantiserTest, IsSetFromGifOptJustBeforeTheConversion) {
  TempDir dir;
  const ImageLibrary library = RecordingLibrary();
  Settings settings;
  settings.GifOpt = GetParam();
  ASSERT_TRUE(Write(CreateSurface(4, 4).value(), dir.File("picture.gif"), OutputFormat::kGif,
                    library, settings)
                  .written);
  EXPECT_EQ(TheRecord().calls, (std::vector<std::string>{"SetQntHiQt", kGifName}));
  EXPECT_EQ(TheRecord().quantiser, GetParam() ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(GifOpt, GifQuantiserTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

class GeoTiffWriteTest : public ::testing::Test {
 protected:
  GeoTiffWriteTest() { settings_.GeoTif = true; }
  TempDir dir_;
  Settings settings_;
  const Surface surface_ = CreateSurface(21, 11).value();
  const GeoArea area_{10, 170, -10, -170};
};

TEST_F(GeoTiffWriteTest, TagsTheTemporaryTiffWithThePicturesSteps) {
  const std::string destination = dir_.File("picture.tif");
  const ImageLibrary library = RecordingLibrary();

  ASSERT_TRUE(Write(surface_, destination, OutputFormat::kTif, library, settings_, area_).written);

  const Record& record = TheRecord();
  EXPECT_EQ(record.calls, (std::vector<std::string>{kTifName, "SetGeoTiff"}));
  EXPECT_EQ(record.geotiff_path, record.path);
  EXPECT_EQ(record.geotiff_parameters, (std::array<double, 4>{10, 170, 2, 1}));
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"picture.tif"});
}

TEST_F(GeoTiffWriteTest, WithoutSetGeoTiffIsASupportErrorBeforeAnythingIsWritten) {
  ImageLibrary library = RecordingLibrary();
  library.SetGeoTiff = nullptr;

  const WriteResult result =
      Write(surface_, dir_.File("picture.tif"), OutputFormat::kTif, library, settings_, area_);

  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.messages, "Support error.\r\n");
  EXPECT_TRUE(TheRecord().calls.empty());
  EXPECT_TRUE(EntriesOf(dir_.path()).empty());
}

TEST_F(GeoTiffWriteTest, FailedTaggingKeepsTheEarlierPicture) {
  const std::string destination = dir_.File("picture.tif");
  WriteBytes(destination, kEarlierPicture);
  const ImageLibrary library = RecordingLibrary();
  TheRecord().result = 0;

  EXPECT_FALSE(Write(surface_, destination, OutputFormat::kTif, library, settings_, area_).written);
  EXPECT_EQ(ReadBytes(destination), kEarlierPicture);
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"picture.tif"});
}

TEST(WriteAnimationFrameTest, HandsTheFrameToPutAgifAndTellsItsResult) {
  const Surface surface = CreateSurface(7, 3).value();
  const ImageLibrary library = RecordingLibrary();
  EXPECT_TRUE(WriteAnimationFrame(surface, library, 5, 30));
  const Record& record = TheRecord();
  EXPECT_EQ(record.handle, 5);
  EXPECT_EQ(record.delay, 30);
  EXPECT_EQ(record.bits, surface.DibRows().data());
  EXPECT_EQ(record.header.width, 7);
  EXPECT_EQ(record.header.height, 3);
  EXPECT_EQ(record.header.bit_count, 24);
  TheRecord().result = 0;
  EXPECT_FALSE(WriteAnimationFrame(surface, library, 5, 30));
}

}  // namespace
}  // namespace nephrax
