// Runs with a setup file, as scripts use them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "output/picture_writer.h"
#include "render/draw_picture.h"
#include "source/source_reader.h"
#include "support/run_program.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::RunProgram;

const std::string kSample = std::string(NEPHRAX_SOURCE_DIR) + "/data/sample/sample.ir";

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(SetupRunTest, CreatedSetupFileReproducesTheBuiltInPicture) {
  testing::TempDir dir;
  const std::string setup = dir.File("setup.ini");
  const testing::ProgramResult first =
      RunProgram(testing::NephraxPath(), {"-s=" + setup, kSample, dir.File("first.bmp")});
  ASSERT_EQ(first.exit_status, 0) << first.err;
  ASSERT_TRUE(std::filesystem::exists(setup));
  const std::vector<uint8_t> created = testing::ReadBytes(setup);

  const testing::ProgramResult again =
      RunProgram(testing::NephraxPath(), {"-s=" + setup, kSample, dir.File("again.bmp")});
  const testing::ProgramResult plain =
      RunProgram(testing::NephraxPath(), {kSample, dir.File("plain.bmp")});
  ASSERT_EQ(again.exit_status, 0) << again.err;
  ASSERT_EQ(plain.exit_status, 0) << plain.err;
  EXPECT_EQ(testing::ReadBytes(setup), created) << "an existing setup file is never written";
  EXPECT_EQ(testing::ReadBytes(dir.File("again.bmp")), testing::ReadBytes(dir.File("plain.bmp")));
  EXPECT_EQ(testing::ReadBytes(dir.File("first.bmp")), testing::ReadBytes(dir.File("plain.bmp")));
}

TEST(SetupRunTest, CreatedFileStillReadsTheSecondChannelName) {
  // A created file names both identifiers of channel 0, so a "B13" source is still read.
  testing::TempDir dir;
  const std::string setup = dir.File("setup.ini");
  ASSERT_EQ(RunProgram(testing::NephraxPath(), {"-s=" + setup, "absent", "out.bmp"}).exit_status, 1);
  testing::SourceFileSpec spec;
  spec.channel = "GEO-B13";
  testing::WriteBytes(dir.File("b13.dat"), testing::BuildSourceFile(spec));
  const testing::ProgramResult r =
      RunProgram(testing::NephraxPath(), {"-s=" + setup, dir.File("b13.dat"), dir.File("b13.bmp")});
  EXPECT_EQ(r.exit_status, 0) << r.err;
}

TEST(SetupRunTest, DisplaySettingsOfTheFileChangeThePicture) {
  testing::TempDir dir;
  const std::string setup = dir.File("setup.ini");
  // Reversed ramp: cold cloud tops become dark instead of light.
  WriteText(setup, "[nephrax]\nch0REV = on\n");
  ASSERT_EQ(RunProgram(testing::NephraxPath(), {"-s=" + setup, kSample, dir.File("rev.bmp")}).exit_status, 0);
  ASSERT_EQ(RunProgram(testing::NephraxPath(), {kSample, dir.File("plain.bmp")}).exit_status, 0);
  const std::vector<uint8_t> rev = testing::ReadBytes(dir.File("rev.bmp"));
  const std::vector<uint8_t> plain = testing::ReadBytes(dir.File("plain.bmp"));
  ASSERT_EQ(rev.size(), plain.size());
  // Every grey of the ramp is mirrored: g becomes 255 - g.
  size_t mirrored = 0;
  for (size_t i = 54; i < plain.size(); ++i) mirrored += rev[i] == 255 - plain[i];
  EXPECT_GT(mirrored, (plain.size() - 54) * 9 / 10);
}

// The colour set drawn from a setup file's lists equals the one drawn from the same lists set
// directly, whose every colour the display-mode tests check against the rules.
TEST(SetupRunTest, ColourSetOfTheFileIsDrawn) {
  testing::TempDir dir;
  const std::string setup = dir.File("setup.ini");
  WriteText(setup,
            "[NEPHRAX]\nCh0col=2\nIRext2r=(20, 40)(-70, 250) (-20,10)\nIRext2b=(-40, 128)\n"
            "Grid=OFF\nMap=OFF\nDtm=-1\n");
  const std::string from_file = dir.File("from_file.bmp");
  ASSERT_EQ(RunProgram(testing::NephraxPath(), {"-s=" + setup, kSample, from_file}).exit_status, 0);

  Settings settings;
  settings.Grid = settings.Map = false;
  settings.Dtm = -1;
  settings.channels[0].col = 2;
  settings.channels[0].colour_points[2][0] = {{-70.0F, 250}, {-20.0F, 10}, {20.0F, 40}};
  settings.channels[0].colour_points[2][2] = {{-40.0F, 128}};
  DisplayTables tables;
  SourceData source;
  ASSERT_TRUE(ReadSourceFile(kSample, BuiltInChannelTable(), settings, tables, source));
  std::optional<Surface> surface =
      CreateSurface(source.geometry.output_width, source.geometry.output_height);
  ASSERT_TRUE(surface);
  ZoomState zoom;
  ASSERT_TRUE(DrawPicture(*surface, source, tables, settings, LabelMetrics{}, zoom, {}));
  const std::string direct = dir.File("direct.bmp");
  ASSERT_TRUE(
      WritePicture(*surface, direct, OutputFormat::kBmp, ImageLibrary{}, settings, GeoArea{}));
  EXPECT_EQ(testing::ReadBytes(from_file), testing::ReadBytes(direct));
}

}  // namespace
}  // namespace nephrax
