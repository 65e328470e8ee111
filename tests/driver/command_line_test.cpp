#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace nephrax {
namespace {

struct Parsed {
  CommandLine line;
  std::string messages;
};

Parsed Parse(std::vector<std::string_view> arguments) {
  ::testing::internal::CaptureStderr();
  CommandLine line = ParseCommandLine(arguments);
  return {line, ::testing::internal::GetCapturedStderr()};
}

TEST(ParseCommandLineTest, TakesEveryOptionAndTwoFileNames) {
  const Parsed p = Parse({"-e=/data/elv", "-h=hst", "-m=map.dat", "-s=setup.ini", "-t=report.csv",
                          "-l", "-g", "-a", "in.dat", "out.png"});
  EXPECT_EQ(p.messages, "");
  EXPECT_EQ(p.line.elevation_directory, "/data/elv");
  EXPECT_EQ(p.line.history_directory, "hst");
  EXPECT_EQ(p.line.map_file, "map.dat");
  EXPECT_EQ(p.line.setup_file, "setup.ini");
  EXPECT_EQ(p.line.report_path, "report.csv");
  EXPECT_TRUE(p.line.english);
  EXPECT_TRUE(p.line.geotiff);
  EXPECT_TRUE(p.line.animation);
  EXPECT_EQ(p.line.source_path, "in.dat");
  EXPECT_EQ(p.line.destination_path, "out.png");
  EXPECT_EQ(p.line.file_name_count, 2);
}

TEST(ParseCommandLineTest, NothingGivenLeavesEverythingOff) {
  const Parsed p = Parse({"in", "out"});
  EXPECT_FALSE(p.line.elevation_directory || p.line.history_directory || p.line.map_file ||
               p.line.setup_file || p.line.report_path);
  EXPECT_FALSE(p.line.english || p.line.geotiff || p.line.animation || p.line.usage_requested);
}

struct ValueCase {
  const char* argument;
  const char* value;
};

class OptionValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(OptionValueTest, ValueStartsAtTheFourthCharacter) {
  const Parsed p = Parse({GetParam().argument, "a", "b"});
  ASSERT_TRUE(p.line.setup_file.has_value()) << GetParam().argument;
  EXPECT_EQ(*p.line.setup_file, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Forms, OptionValueTest,
                         ::testing::Values(ValueCase{"-s=setup.ini", "setup.ini"},
                                           ValueCase{"-S=setup.ini", "setup.ini"},
                                           ValueCase{"-sXsetup.ini", "setup.ini"},
                                           ValueCase{"/S=setup.ini", "setup.ini"},
                                           ValueCase{"/s=/abs/setup.ini", "/abs/setup.ini"},
                                           ValueCase{"-s", ""}, ValueCase{"-s=", ""}));

TEST(ParseCommandLineTest, LaterOccurrenceWins) {
  const Parsed p = Parse({"-s=first", "-s=second", "a", "b"});
  EXPECT_EQ(p.line.setup_file, "second");
}

TEST(ParseCommandLineTest, CharactersAfterASwitchLetterAreIgnored) {
  const Parsed p = Parse({"-gx", "-LANG", "a", "b"});
  EXPECT_TRUE(p.line.geotiff);
  EXPECT_TRUE(p.line.english);
  EXPECT_EQ(p.messages, "");
}

TEST(ParseCommandLineTest, UnknownLetterIsReportedAndParsingGoesOn) {
  const Parsed p = Parse({"-x", "-", "in", "-g", "out"});
  EXPECT_EQ(p.messages, "Command parameter error.\r\nCommand parameter error.\r\n");
  EXPECT_TRUE(p.line.geotiff);
  EXPECT_EQ(p.line.source_path, "in");
  EXPECT_EQ(p.line.destination_path, "out");
}

TEST(ParseCommandLineTest, QuestionMarkStopsParsing) {
  const Parsed p = Parse({"-x", "/?", "-g", "a", "b"});
  EXPECT_TRUE(p.line.usage_requested);
  EXPECT_FALSE(p.line.geotiff);
  EXPECT_EQ(p.line.file_name_count, 0);
}

TEST(ParseCommandLineTest, FurtherFileNamesAreCountedButIgnored) {
  const Parsed p = Parse({"a", "b", "c"});
  EXPECT_EQ(p.line.source_path, "a");
  EXPECT_EQ(p.line.destination_path, "b");
  EXPECT_EQ(p.line.file_name_count, 3);
}

struct OptionFormCase {
  const char* argument;
  bool is_option;
};

class IsOptionTest : public ::testing::TestWithParam<OptionFormCase> {};

TEST_P(IsOptionTest, SlashStartsAnOptionOnlyInTheShortForms) {
  EXPECT_EQ(IsOption(GetParam().argument), GetParam().is_option) << GetParam().argument;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, IsOptionTest,
    ::testing::Values(OptionFormCase{"-anything", true}, OptionFormCase{"-", true},
                      OptionFormCase{"/a", true}, OptionFormCase{"/?", true},
                      OptionFormCase{"/S=setup.ini", true}, OptionFormCase{"/e=", true},
                      OptionFormCase{"/tmp/in.dat", false}, OptionFormCase{"/a/b", false},
                      OptionFormCase{"/ab", false}, OptionFormCase{"/", false},
                      OptionFormCase{"/1=x", false}, OptionFormCase{"in.dat", false}));

}  // namespace
}  // namespace nephrax
