#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "setup/setup_file.h"
#include "support/setup_file_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::SetupFileBuilder;
using testing::TableRows;

struct SetupResult {
  Settings settings;
  ChannelTable table = BuiltInChannelTable();
};

SetupResult ReadFromFile(const SetupFileBuilder& file, Language language = Language::kEnglish) {
  const testing::TempDir dir;
  const std::string path = dir.File("setup.ini");
  file.Write(path);
  SetupResult result;
  ReadSetupFile(path, language, result.settings, result.table);
  return result;
}

// The built-in settings as reading an existing file leaves them: with the colour-point lists.
Settings LoadedBuiltIns() {
  Settings settings;
  settings.colour_points_loaded = true;
  return settings;
}

ChannelSettings& Channel(Settings& settings, size_t index) {
  return settings.channels[index];
}

// One file body (after the "[NEPHRAX]" header) and how it changes the built-in settings.
struct SettingCase {
  const char* name;
  std::string body;
  void (*change)(Settings&);
};

void PrintTo(const SettingCase& c, std::ostream* os) {
  *os << c.name;
}

class ReadSettingTest : public ::testing::TestWithParam<SettingCase> {};

TEST_P(ReadSettingTest, ChangesOnlyWhatTheFileSays) {
  Settings expected = LoadedBuiltIns();
  GetParam().change(expected);
  EXPECT_EQ(ReadFromFile(SetupFileBuilder().Line(GetParam().body)).settings, expected);
}

void NoChange(Settings&) {}

INSTANTIATE_TEST_SUITE_P(
    Switches, ReadSettingTest,
    ::testing::Values(
        SettingCase{"LowerCaseOn", "Jst=on", [](Settings& s) { s.Jst = true; }},
        SettingCase{"MixedCaseOff", "Grid=oFf", [](Settings& s) { s.Grid = false; }},
        SettingCase{"YesKeeps", "Grid=yes", NoChange},
        SettingCase{"YesKeepsOff", "Jst=yes", NoChange},
        SettingCase{"EmptyKeeps", "Grid=", NoChange},
        SettingCase{"QuotedOff", "GifOpt=\"OFF\"", [](Settings& s) { s.GifOpt = false; }},
        SettingCase{"BlanksAround", "  GeoTif  =   ON  ", [](Settings& s) { s.GeoTif = true; }}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Integers, ReadSettingTest,
    ::testing::Values(
        SettingCase{"Plain", "Width=640", [](Settings& s) { s.Width = 640; }},
        SettingCase{"Negative", "Amin=-15", [](Settings& s) { s.Amin = -15; }},
        SettingCase{"PlusSign", "Rmin=+5", [](Settings& s) { s.Rmin = 5; }},
        SettingCase{"LeadingDigitsOnly", "Height=480px", [](Settings& s) { s.Height = 480; }},
        SettingCase{"NoDigitsGiveZero", "HstSiz=abc", [](Settings& s) { s.HstSiz = 0; }},
        SettingCase{"EmptyGivesZero", "DtmSiz=", [](Settings& s) { s.DtmSiz = 0; }},
        SettingCase{"BeyondRangeHeldAtLimit", "ElvAdj=99999999999",
                    [](Settings& s) { s.ElvAdj = INT32_MAX; }},
        SettingCase{"IntervalTwelveGivesThree", "Intv=12", [](Settings& s) { s.Intv = 3; }},
        SettingCase{"IntervalNegativeGivesThree", "Intv=-1", [](Settings& s) { s.Intv = 3; }},
        SettingCase{"IntervalNine", "Intv=9", [](Settings& s) { s.Intv = 9; }},
        SettingCase{"LabelStyleLowByte", "GrdStr=259", [](Settings& s) { s.GrdStr = 3; }}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Reals, ReadSettingTest,
    ::testing::Values(
        SettingCase{"Decimal", "SatLon=128.5", [](Settings& s) { s.SatLon = 128.5F; }},
        SettingCase{"Exponent", "SatAlt=3.6e4", [](Settings& s) { s.SatAlt = 36000.0F; }},
        SettingCase{"TrailingText", "SatLat=-0.5deg", [](Settings& s) { s.SatLat = -0.5F; }},
        SettingCase{"NotANumberKeeps", "SatLat=abc", NoChange},
        SettingCase{"NanKeeps", "SatLon=nan", NoChange},
        SettingCase{"TooLargeKeeps", "SatAlt=1e99", NoChange},
        // A real is looked up in 39 characters: the last digit of this 40-digit "12" is cut.
        SettingCase{"CutAtThirtyNineCharacters", "SatLat=" + std::string(38, '0') + "12",
                    [](Settings& s) { s.SatLat = 1.0F; }}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Colours, ReadSettingTest,
    ::testing::Values(SettingCase{"EachModulo256", "GrdCol=255,300,-1",
                                  [](Settings& s) {
                                    s.GrdCol = {255, 44, 255};
                                  }},
                      SettingCase{"BlanksBeforeNumbers", "MapCol= 1, 2,  3",
                                  [](Settings& s) {
                                    s.MapCol = {1, 2, 3};
                                  }},
                      SettingCase{"TwoNumbersKeep", "EqtCol=1,2", NoChange},
                      SettingCase{"BlankBeforeCommaKeeps", "DtmCol=1 ,2,3", NoChange},
                      SettingCase{"TextKeeps", "NtcCol=red", NoChange}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Lists, ReadSettingTest,
    ::testing::Values(
        SettingCase{"MapStyleFirstTwo", "MapSty=1,1",
                    [](Settings& s) { s.MapSty = {1, 1, 0, 2, 2, 0}; }},
        SettingCase{"MapStyleOutOfRangeItemsKeep", "MapSty=4,5,-1,x,3,2",
                    [](Settings& s) { s.MapSty = {4, 0, 0, 2, 3, 2}; }},
        // Texts are looked up in 79 characters: the sixth item lies beyond them.
        SettingCase{"MapStyleCutAtSeventyNine", "MapSty=1,1,1,1,1," + std::string(80, ' ') + "3",
                    [](Settings& s) { s.MapSty = {1, 1, 1, 1, 1, 0}; }},
        SettingCase{"ZoomNorthWestToSouthEast", "Zoom=40,120,20,150",
                    [](Settings& s) {
                      s.Zoom = {12000, 4000, 15000, 2000};
                    }},
        SettingCase{"ZoomSouthToNorthClearsLatitudes", "Zoom=20,120,40,150",
                    [](Settings& s) {
                      s.Zoom = {12000, 0, 15000, 0};
                    }},
        SettingCase{"ZoomAcross180thMeridian", "Zoom=10,170,-10,-170",
                    [](Settings& s) {
                      s.Zoom = {17000, 1000, -17000, -1000};
                    }},
        SettingCase{"ZoomAbove180Subtracts360", "Zoom=10,200,-10,220",
                    [](Settings& s) {
                      s.Zoom = {-16000, 1000, -14000, -1000};
                    }},
        SettingCase{"ZoomEastToWestClearsLongitudes", "Zoom=10,150,-10,120",
                    [](Settings& s) {
                      s.Zoom = {0, 1000, 0, -1000};
                    }},
        SettingCase{"ZoomOutOfRangeLatitudeKeeps", "Zoom=95,120,-20,150",
                    [](Settings& s) {
                      s.Zoom = {12000, 0, 15000, -2000};
                    }},
        SettingCase{"ZoomUnreadableItemSkipped", "Zoom=40,east,20,150",
                    [](Settings& s) {
                      s.Zoom = {0, 4000, 15000, 2000};
                    }},
        SettingCase{"ZoomRoundsHundredths", "Zoom=35.555,139.994,35.1,140.5",
                    [](Settings& s) {
                      s.Zoom = {13999, 3556, 14050, 3510};
                    }},
        // 0.145 as a float is 0.14499999...: times 100 in single precision it is 14.5 exactly.
        SettingCase{"ZoomProductInSinglePrecision", "Zoom=0.145,120,-10,150",
                    [](Settings& s) {
                      s.Zoom = {12000, 15, 15000, -1000};
                    }}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadSettingTest,
    ::testing::Values(SettingCase{"NoticeQuotedKeepsBlanks", "NtcStr=\"  Hello  \"",
                                  [](Settings& s) { s.NtcStr = "  Hello  "; }},
                      SettingCase{"NoticeEmptyQuotes", "NtcStr=\"\"",
                                  [](Settings& s) { s.NtcStr = ""; }},
                      SettingCase{"NoticeCutAt65", "NtcStr=" + std::string(70, 'n'),
                                  [](Settings& s) { s.NtcStr = std::string(65, 'n'); }},
                      SettingCase{"NoticeLoneQuoteKept", "NtcStr=\"No TC",
                                  [](Settings& s) { s.NtcStr = "\"No TC"; }},
                      SettingCase{"FaceOfCurrentLanguage", "Font=\"DejaVu Sans\"",
                                  [](Settings& s) { s.Font[1] = "DejaVu Sans"; }},
                      SettingCase{"FaceCutAt31", "Font=" + std::string(40, 'f'),
                                  [](Settings& s) { s.Font[1] = std::string(31, 'f'); }}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Channels, ReadSettingTest,
    ::testing::Values(SettingCase{"RangeAndSwitches",
                                  "Ch0max=30\nCh0min=-80.5\nCh0rev=ON\nCh0tbb=off\nCh0abs=Off",
                                  [](Settings& s) {
                                    Channel(s, 0).max = 30;
                                    Channel(s, 0).min = -80.5F;
                                    Channel(s, 0).rev = true;
                                    Channel(s, 0).tbb = false;
                                    Channel(s, 0).abs = false;
                                  }},
                      SettingCase{"HexadecimalPrefix", "ChFmax=12\nChAcol=6",
                                  [](Settings& s) {
                                    Channel(s, 15).max = 12;
                                    Channel(s, 10).col = 6;
                                  }},
                      SettingCase{"DisplayNameCutAtEight", "Ch3name=VISIBLE-BAND",
                                  [](Settings& s) { Channel(s, 3).name = "VISIBLE-"; }},
                      SettingCase{"NamedChannelKeys", "S2max=20\nS2min=-5\nS2rev=OFF\nS2col=7",
                                  [](Settings& s) {
                                    Channel(s, 17).max = 20;
                                    Channel(s, 17).min = -5;
                                    Channel(s, 17).rev = false;
                                    Channel(s, 17).col = 7;
                                  }},
                      SettingCase{"ModeEightIgnored", "S1col=8\nCh1col=99", NoChange},
                      SettingCase{"NegativeModeTaken", "Ch2col=-5",
                                  [](Settings& s) { Channel(s, 2).col = -5; }},
                      // Channels 16..23 have no tbb or abs keys.
                      SettingCase{"NamedChannelHasNoTbbKey", "S1tbb=OFF\nS1abs=ON", NoChange}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    ProfileRules, ReadSettingTest,
    ::testing::Values(SettingCase{"KeysWithoutCase", "jST=ON\nwidth=100\ngrdcol=1,2,3",
                                  [](Settings& s) {
                                    s.Jst = true;
                                    s.Width = 100;
                                    s.GrdCol = {1, 2, 3};
                                  }},
                      SettingCase{"FirstOccurrenceWins", "Width=100\nWIDTH=200\nWidth=300",
                                  [](Settings& s) { s.Width = 100; }},
                      SettingCase{"OtherSectionIgnored", "Width=100\n[OTHER]\nWidth=200\nHeight=50",
                                  [](Settings& s) { s.Width = 100; }},
                      SettingCase{"SectionRepeated",
                                  "Width=100\n[OTHER]\nHeight=50\n[nephrax]\nHeight=60",
                                  [](Settings& s) {
                                    s.Width = 100;
                                    s.Height = 60;
                                  }},
                      SettingCase{"WindowsLineEnds", "Width=100\r\nJst=ON\r\n",
                                  [](Settings& s) {
                                    s.Width = 100;
                                    s.Jst = true;
                                  }},
                      SettingCase{"CommentAndBareLinesIgnored",
                                  "; Width=100 is a comment key\nWidth\nJst=ON",
                                  [](Settings& s) { s.Jst = true; }}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

TEST(ReadSetupFileSectionTest, SectionNameComparedWithoutCase) {
  const SetupResult result =
      ReadFromFile(SetupFileBuilder(false).Line("Width=1").Line("[ nEpHrAx ]").Entry("Width", "2"));
  EXPECT_EQ(result.settings.Width, 2);
}

TEST(ReadSetupFileSectionTest, FaceOfJapaneseModeLeavesEnglishFace) {
  const SetupResult result =
      ReadFromFile(SetupFileBuilder().Entry("Font", "Gothic"), Language::kJapanese);
  EXPECT_EQ(result.settings.Font[0], "Gothic");
  EXPECT_EQ(result.settings.Font[1], "Verdana");
}

// The names of the two rows of channel 0 after reading a file body.
struct IdentifierCase {
  const char* name;
  std::string body;
  const char* first_row;
  const char* second_row;
};

void PrintTo(const IdentifierCase& c, std::ostream* os) {
  *os << c.name;
}

class ChannelIdentifierTest : public ::testing::TestWithParam<IdentifierCase> {};

TEST_P(ChannelIdentifierTest, RenamesTheRowsOfChannelZeroOnly) {
  ChannelTable expected = BuiltInChannelTable();
  ASSERT_EQ(expected[0].name, "IR");
  ASSERT_EQ(expected[1].name, "B13");
  expected[0].name = GetParam().first_row;
  expected[1].name = GetParam().second_row;
  EXPECT_EQ(TableRows(ReadFromFile(SetupFileBuilder().Line(GetParam().body)).table),
            TableRows(expected));
}

INSTANTIATE_TEST_SUITE_P(
    CharKey, ChannelIdentifierTest,
    ::testing::Values(IdentifierCase{"TwoIdentifiers", "Ch0char=IR,B13", "IR", "B13"},
                      IdentifierCase{"OneIdentifierForBothRows", "Ch0char=XX", "XX", "XX"},
                      IdentifierCase{"DisplayNameAlone", "Ch0char=IR", "IR", "IR"},
                      IdentifierCase{"NoCharKeyKeepsRows", "Ch0max=40", "IR", "B13"},
                      IdentifierCase{"NewNameWithoutCharKeyKeepsRows", "Ch0name=TIR", "IR", "B13"},
                      IdentifierCase{"OnlyTwoCount", "Ch0char=A,B,C", "A", "B"},
                      IdentifierCase{"EmptySecondCountsAsOne", "Ch0char=IR,,B13", "IR", "IR"},
                      IdentifierCase{"EmptyFirst", "Ch0char=,X", "", "X"},
                      IdentifierCase{"CutAtSeventeen", "Ch0char=ABCDEFGHIJ,KLMNOPQRST",
                                     "ABCDEFGHIJ", "KLMNOP"}),
    [](const ::testing::TestParamInfo<IdentifierCase>& info) { return info.param.name; });

TEST(ReadSetupFileColourPointTest, SortsAndKeepsTheLastOfEqualValues) {
  const SetupResult result =
      ReadFromFile(SetupFileBuilder().Entry("IRext0r", "(20, 255)(-60, 0)(20, 128)"));
  Settings expected = LoadedBuiltIns();
  expected.channels[0].colour_points[0][0] = {{-60, 0}, {20, 128}};
  EXPECT_EQ(result.settings, expected);
}

TEST(ReadSetupFileColourPointTest, KeysFollowTheDisplayNameRead) {
  const SetupResult result = ReadFromFile(SetupFileBuilder()
                                              .Entry("Ch1name", "VAPOR")
                                              .Entry("vaporEXT2G", "(1,2)")
                                              .Entry("WVext2g", "(3,4)")
                                              .Entry("S2ext3b", "(-5, 10)(5, 20)"));
  Settings expected = LoadedBuiltIns();
  expected.channels[1].name = "VAPOR";
  expected.channels[1].colour_points[2][1] = {{1, 2}};
  expected.channels[17].colour_points[3][2] = {{-5, 10}, {5, 20}};
  EXPECT_EQ(result.settings, expected);
}

TEST(ReadSetupFileColourPointTest, ValueCutAt255Characters) {
  // Points of 11 characters: 23 fit in 255, the 24th is cut to "(1" and skipped.
  std::string value;
  for (int i = 10; i < 40; ++i) value += "(" + std::to_string(i) + ".5, 100)";
  ASSERT_EQ(value.substr(0, 11), "(10.5, 100)");
  const SetupResult result = ReadFromFile(SetupFileBuilder().Entry("VSext1b", value));
  const ColourPointList& points = result.settings.channels[3].colour_points[1][2];
  ASSERT_EQ(points.size(), 23U);
  EXPECT_EQ(points.back(), (ColourPoint{32.5F, 100}));
}

TEST(ReadSetupFileColourPointTest, EmptyFileStillLoadsTheLists) {
  const SetupResult result = ReadFromFile(SetupFileBuilder(false));
  EXPECT_EQ(result.settings, LoadedBuiltIns());
  EXPECT_EQ(TableRows(result.table), TableRows(BuiltInChannelTable()));
}

}  // namespace
}  // namespace nephrax
