#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "setup/setup_file.h"
#include "support/setup_file_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::ReadTextFile;
using testing::SetupFileBuilder;
using testing::TableRows;

// Every key a new setup file holds, in order, with the built-in values in their file forms.
constexpr std::string_view kCreatedEnglishFile = R"([NEPHRAX]
Jst=OFF
Grid=ON
Map=ON
Intv=3
Amin=50
Rmin=10
Agif=10
Width=0
Height=0
Dtm=0
Elem=5
HstSiz=12
DtmSiz=12
NtcSiz=12
DtmSat=ON
DtmObs=OFF
NumBak=ON
NtcBak=OFF
ItsNum=ON
GrdCol=0,0,192
MapCol=0,192,0
EqtCol=192,0,0
DtmCol=192,192,0
TypCol=192,0,0
TdpCol=192,0,192
EdaCol=0,128,128
NtcCol=192,0,192
GrdWid=1
MapWid=1
ElvAdj=-10
SatLat=0.0000
SatLon=140.0000
SatAlt=35793.0000
Vadj=OFF
SunGln=OFF
GifOpt=ON
GeoTif=OFF
GrdStr=0
MapSty=0,0,0,2,2,0
Zoom=0.00,0.00,0.00,0.00
NtcStr=" No TC "
Font="Verdana"
Ch0name=IR
Ch0char=IR,B13
Ch0max=45.0000
Ch0min=-60.0000
Ch0rev=OFF
Ch0tbb=ON
Ch0abs=ON
Ch0col=-1
Ch1name=WV
Ch1char=WV,B08
Ch1max=5.0000
Ch1min=-60.0000
Ch1rev=OFF
Ch1tbb=ON
Ch1abs=ON
Ch1col=-1
Ch2name=I4
Ch2char=I4,B07
Ch2max=45.0000
Ch2min=-60.0000
Ch2rev=OFF
Ch2tbb=ON
Ch2abs=ON
Ch2col=-1
Ch3name=VS
Ch3char=VS,B03
Ch3max=0.7000
Ch3min=0.0500
Ch3rev=OFF
Ch3tbb=OFF
Ch3abs=OFF
Ch3col=-1
Ch4name=V1
Ch4char=V1,B01
Ch4max=0.7000
Ch4min=0.0500
Ch4rev=OFF
Ch4tbb=OFF
Ch4abs=OFF
Ch4col=-1
Ch5name=V2
Ch5char=V2,B02
Ch5max=0.7000
Ch5min=0.0500
Ch5rev=OFF
Ch5tbb=OFF
Ch5abs=OFF
Ch5col=-1
Ch6name=N1
Ch6char=N1,B04
Ch6max=0.7000
Ch6min=0.0500
Ch6rev=OFF
Ch6tbb=OFF
Ch6abs=OFF
Ch6col=-1
Ch7name=N2
Ch7char=N2,B05
Ch7max=0.7000
Ch7min=0.0500
Ch7rev=OFF
Ch7tbb=OFF
Ch7abs=OFF
Ch7col=-1
Ch8name=N3
Ch8char=N3,B06
Ch8max=0.7000
Ch8min=0.0500
Ch8rev=OFF
Ch8tbb=OFF
Ch8abs=OFF
Ch8col=-1
Ch9name=W2
Ch9char=W2,B09
Ch9max=5.0000
Ch9min=-60.0000
Ch9rev=OFF
Ch9tbb=ON
Ch9abs=ON
Ch9col=-1
ChAname=W3
ChAchar=W3,B10
ChAmax=5.0000
ChAmin=-60.0000
ChArev=OFF
ChAtbb=ON
ChAabs=ON
ChAcol=-1
ChBname=MI
ChBchar=MI,B11
ChBmax=45.0000
ChBmin=-60.0000
ChBrev=OFF
ChBtbb=ON
ChBabs=ON
ChBcol=-1
ChCname=O3
ChCchar=O3,B12
ChCmax=45.0000
ChCmin=-60.0000
ChCrev=OFF
ChCtbb=ON
ChCabs=ON
ChCcol=-1
ChDname=L2
ChDchar=L2,B14
ChDmax=45.0000
ChDmin=-60.0000
ChDrev=OFF
ChDtbb=ON
ChDabs=ON
ChDcol=-1
ChEname=I2
ChEchar=I2,B15
ChEmax=45.0000
ChEmin=-60.0000
ChErev=OFF
ChEtbb=ON
ChEabs=ON
ChEcol=-1
ChFname=CO
ChFchar=CO,B16
ChFmax=45.0000
ChFmin=-60.0000
ChFrev=OFF
ChFtbb=ON
ChFabs=ON
ChFcol=-1
S1max=5.0000
S1min=-1.0000
S1rev=OFF
S1col=-1
S2max=15.0000
S2min=-10.0000
S2rev=ON
S2col=-1
S3max=30.0000
S3min=-3.0000
S3rev=OFF
S3col=-1
S4max=30.0000
S4min=-3.0000
S4rev=OFF
S4col=-1
S5max=5.0000
S5min=-1.0000
S5rev=OFF
S5col=-1
S6max=5.0000
S6min=-1.0000
S6rev=OFF
S6col=-1
S7max=5.0000
S7min=-1.0000
S7rev=OFF
S7col=-1
S8max=5.0000
S8min=-1.0000
S8rev=OFF
S8col=-1
)";

class SetupFileWriteTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  std::string path_ = dir_.File("setup.ini");
};

TEST_F(SetupFileWriteTest, MissingFileIsCreatedWithEveryKeyInOrder) {
  Settings settings;
  ChannelTable table = BuiltInChannelTable();
  ReadSetupFile(path_, Language::kEnglish, settings, table);
  EXPECT_EQ(ReadTextFile(path_), kCreatedEnglishFile);
  EXPECT_EQ(settings, Settings{});
  EXPECT_EQ(TableRows(table), TableRows(BuiltInChannelTable()));
}

TEST_F(SetupFileWriteTest, JapaneseModeWritesTheShiftJisFace) {
  Settings settings;
  ChannelTable table = BuiltInChannelTable();
  ReadSetupFile(path_, Language::kJapanese, settings, table);
  const std::string text = ReadTextFile(path_);
  EXPECT_NE(text.find("\nFont=\"\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\"\n"),
            std::string::npos);
}

TEST_F(SetupFileWriteTest, CreatedFileReadsBackAsTheBuiltInValues) {
  for (const Language language : {Language::kJapanese, Language::kEnglish}) {
    std::filesystem::remove(path_);
    Settings created;
    ChannelTable created_table = BuiltInChannelTable();
    ReadSetupFile(path_, language, created, created_table);

    Settings settings;
    ChannelTable table = BuiltInChannelTable();
    ReadSetupFile(path_, language, settings, table);
    Settings expected;
    expected.colour_points_loaded = true;
    EXPECT_EQ(settings, expected);
    EXPECT_EQ(TableRows(table), TableRows(BuiltInChannelTable()));
  }
}

// Every kind of setting away from its built-in value survives a write and a read.
TEST_F(SetupFileWriteTest, WrittenFileReproducesChangedSettings) {
  Settings changed;
  changed.Jst = true;
  changed.Width = -7;
  changed.SatLon = 128.1234F;
  changed.GrdCol = {1, 2, 255};
  changed.GrdStr = 3;
  changed.MapSty = {4, 3, 2, 1, 0, 4};
  changed.Zoom = {17000, 1000, -17000, -1050};
  changed.NtcStr = "  quiet  ";
  changed.Font[1] = "DejaVu Sans";
  changed.channels[0].name = "TIR";
  changed.channels[3].max = 0.95F;
  changed.channels[3].col = 2;
  changed.channels[17].rev = false;
  changed.channels[0].colour_points[0][0] = {{-60, 0}, {20.5F, 255}};
  changed.channels[3].colour_points[2][1] = {{0.125F, 3}, {12.25F, 200}};
  changed.channels[16].colour_points[3][2] = {{-1.25F, 7}};
  changed.colour_points_loaded = true;
  ChannelTable changed_table = BuiltInChannelTable();
  changed_table[0].name = "T1";
  changed_table[1].name = "T2";
  ASSERT_TRUE(WriteSetupFile(path_, Language::kEnglish, changed, changed_table));

  Settings settings;
  ChannelTable table = BuiltInChannelTable();
  ReadSetupFile(path_, Language::kEnglish, settings, table);
  EXPECT_EQ(settings, changed);
  EXPECT_EQ(TableRows(table), TableRows(changed_table));
}

TEST_F(SetupFileWriteTest, ColourPointListsWrittenOnlyWhenLoaded) {
  Settings settings;
  settings.channels[0].colour_points[0][0] = {{-60, 0}, {20, 255}};
  ASSERT_TRUE(WriteSetupFile(path_, Language::kEnglish, settings, BuiltInChannelTable()));
  EXPECT_EQ(ReadTextFile(path_).find("ext"), std::string::npos);

  settings.colour_points_loaded = true;
  ASSERT_TRUE(WriteSetupFile(path_, Language::kEnglish, settings, BuiltInChannelTable()));
  const std::string text = ReadTextFile(path_);
  EXPECT_TRUE(text.ends_with("S8col=-1\nIRext0r=(-60.0, 0)(20.0, 255)\n")) << text;
}

TEST_F(SetupFileWriteTest, ExistingFileIsNeverWritten) {
  const std::string text = SetupFileBuilder().Entry("Width", "640").Entry("Unknown", "1").Text();
  testing::WriteTextFile(path_, text);
  struct stat before {};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);

  Settings settings;
  ChannelTable table = BuiltInChannelTable();
  ReadSetupFile(path_, Language::kEnglish, settings, table);

  struct stat after {};
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_EQ(settings.Width, 640);
  EXPECT_EQ(ReadTextFile(path_), text);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced by a new file either
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

TEST_F(SetupFileWriteTest, UnreadableEntryIsLeftAlone) {
  std::filesystem::create_directory(path_);
  Settings settings;
  ChannelTable table = BuiltInChannelTable();
  ReadSetupFile(path_, Language::kEnglish, settings, table);
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_EQ(settings, Settings{});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

TEST_F(SetupFileWriteTest, DanglingLinkIsNotReplaced) {
  std::filesystem::create_symlink(dir_.File("nowhere.ini"), path_);
  Settings settings;
  ChannelTable table = BuiltInChannelTable();
  ReadSetupFile(path_, Language::kEnglish, settings, table);
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("nowhere.ini")));
}

TEST_F(SetupFileWriteTest, UnwritablePlaceReportsFailure) {
  EXPECT_FALSE(WriteSetupFile(dir_.File("no/such/dir/setup.ini"), Language::kEnglish, Settings{},
                              BuiltInChannelTable()));
}

}  // namespace
}  // namespace nephrax
