#include "cyclone/track_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "support/source_file_builder.h"
#include "support/track_file_builder.h"

namespace nephrax {
namespace {

using testing::TrackFileSpec;
using testing::TrackHeaderSpec;
using testing::TrackRecordSpec;

struct TargetCase {
  const char* name;
  TimeRecord observation;
  int32_t amin;
  TargetTime expected;
};

class TargetTimeTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(TargetTimeTest, AddsTheMinutesWithCalendarCarry) {
  EXPECT_EQ(TargetTimeOf(GetParam().observation, GetParam().amin), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TargetTimeTest,
    ::testing::Values(
        TargetCase{"IntoTheNextHour", {20, 9, 9, 4, 2, 32, 0}, 50, {2009, 9, 4, 3}},
        TargetCase{"IntoTheNextYear", {20, 14, 12, 31, 23, 40, 0}, 50, {2015, 1, 1, 0}},
        TargetCase{"IntoTheLeapDay", {20, 24, 2, 28, 23, 40, 0}, 50, {2024, 2, 29, 0}},
        TargetCase{"BackIntoThePreviousDay", {20, 14, 6, 21, 0, 10, 0}, -20, {2014, 6, 20, 23}}),
    [](const auto& info) { return std::string(info.param.name); });

struct HeaderCase {
  const char* name;
  std::string line;
  std::optional<TrackHeader> expected;
};

class TrackHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(TrackHeaderTest, ReadsTheLabelsNameAndVersion) {
  const std::optional<TrackHeader> header = ReadTrackHeader(GetParam().line);
  ASSERT_EQ(header.has_value(), GetParam().expected.has_value());
  if (!header) return;
  EXPECT_EQ(header->depression_label, GetParam().expected->depression_label);
  EXPECT_EQ(header->typhoon_label, GetParam().expected->typhoon_label);
  EXPECT_EQ(header->name, GetParam().expected->name);
  EXPECT_EQ(header->early_label, GetParam().expected->early_label);
  EXPECT_EQ(header->version, GetParam().expected->version);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackHeaderTest,
    ::testing::Values(
        HeaderCase{"Full", "DVORAK,TD,T1407,CIRRUS,x,7,V2\r\n",
                   TrackHeader{"TD", "T1407", "CIRRUS", "EDA007", 2}},
        HeaderCase{"MarkInAnyCase", "dvorak,TD,T1407,CIRRUS",
                   TrackHeader{"TD", "T1407", "CIRRUS", "", 0}},
        HeaderCase{"OtherMark", "DVORAX,TD,T1407,CIRRUS", std::nullopt},
        HeaderCase{"MarkWithBlanks", " DVORAK ,TD,T1407,CIRRUS",
                   TrackHeader{"TD", "T1407", "CIRRUS", "", 0}},
        HeaderCase{"NoNameField", "DVORAK,TD,T1407", std::nullopt},
        HeaderCase{"EmptyFieldsExist", "DVORAK,,T1407,,", TrackHeader{"", "T1407", "", "", 0}},
        HeaderCase{"NoLabelAtAll", "DVORAK,,,CIRRUS,,0,V2", std::nullopt},
        HeaderCase{"EarlyLabelAlone", "DVORAK,,,CIRRUS,,12",
                   TrackHeader{"", "", "CIRRUS", "EDA012", 0}},
        HeaderCase{"LargestEarlyNumber", "DVORAK,,,X,,9999",
                   TrackHeader{"", "", "X", "EDA9999", 0}},
        HeaderCase{"EarlyNumberTooLarge", "DVORAK,,,X,,10000", std::nullopt},
        HeaderCase{"EarlyNumberNotANumber", "DVORAK,TD,,X,,abc", TrackHeader{"TD", "", "X", "", 0}},
        HeaderCase{"LowerCaseVersion", "DVORAK,TD,,X,,,v3", TrackHeader{"TD", "", "X", "", 3}},
        HeaderCase{"VersionWithoutLetter", "DVORAK,TD,,X,,,2", TrackHeader{"TD", "", "X", "", 0}},
        HeaderCase{"LabelsAndNameCut", "DVORAK,DEPRESSION,TYPHOON1,A NAME OF TWENTY CH",
                   TrackHeader{"DEPRESS", "TYPHOON", "A NAME OF TWENT", "", 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RecordCase {
  const char* name;
  std::string line;
  int32_t version;
  std::optional<TrackRecord> expected;
};

TrackRecord Record(TargetTime time, char stage, float lat, float lon) {
  TrackRecord record;
  record.time = time;
  record.stage = stage;
  record.lat = lat;
  record.lon = lon;
  return record;
}

TrackRecord FullRecord() {
  TrackRecord record = Record({2014, 6, 21, 3}, 'T', 20.0F, 130.0F);
  record.ac = 60.0F;
  record.wf = 550.0F;
  record.direction = 290;
  record.speed = 10;
  record.at = 0.3F;
  record.t_number = 4.5F;
  record.ci_number = 5.0F;
  return record;
}

std::string Line(TrackRecordSpec spec) {
  return testing::TrackRecordLine(spec);
}

TrackRecordSpec Status(std::string status, std::string secondary, size_t field_count = 31) {
  TrackRecordSpec spec;
  spec.status = std::move(status);
  spec.secondary_status = std::move(secondary);
  spec.field_count = field_count;
  return spec;
}

class TrackRecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(TrackRecordTest, ReadsTheFieldsWithTheirDefaults) {
  const std::optional<TrackRecord> record = ReadTrackRecord(GetParam().line, GetParam().version);
  ASSERT_EQ(record.has_value(), GetParam().expected.has_value());
  if (!record) return;
  const TrackRecord& expected = *GetParam().expected;
  EXPECT_EQ(record->time, expected.time);
  EXPECT_EQ(record->stage, expected.stage);
  EXPECT_FLOAT_EQ(record->lat, expected.lat);
  EXPECT_FLOAT_EQ(record->lon, expected.lon);
  EXPECT_FLOAT_EQ(record->ac, expected.ac);
  EXPECT_FLOAT_EQ(record->wf, expected.wf);
  EXPECT_EQ(record->direction, expected.direction);
  EXPECT_EQ(record->speed, expected.speed);
  EXPECT_FLOAT_EQ(record->at, expected.at);
  EXPECT_FLOAT_EQ(record->t_number, expected.t_number);
  EXPECT_FLOAT_EQ(record->ci_number, expected.ci_number);
  EXPECT_EQ(record->early_stage, expected.early_stage);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackRecordTest,
    ::testing::Values(RecordCase{"Full", Line({}), 2, FullRecord()},
                      RecordCase{"EndsAfterTheLongitude", "2014-06-21 03,D,-12.5,200", 2,
                                 Record({2014, 6, 21, 3}, 'D', -12.5F, 200.0F)},
                      RecordCase{"LowerCaseStage", " 2014-6-1  7 , typhoon ,1,2\r\n", 2,
                                 Record({2014, 6, 1, 7}, 'T', 1.0F, 2.0F)},
                      RecordCase{"OtherStage", "2014-06-21 03,X,1,2", 2, std::nullopt},
                      RecordCase{"EmptyStage", "2014-06-21 03,,1,2", 2, std::nullopt},
                      RecordCase{"NoHour", "2014-06-21,T,1,2", 2, std::nullopt},
                      RecordCase{"LetterBeforeTheHour", "2014-06-21T03,T,1,2", 2, std::nullopt},
                      RecordCase{"SlashedDate", "2014/06/21 03,T,1,2", 2, std::nullopt},
                      RecordCase{"UnreadableLatitude", "2014-06-21 03,T,N20,2", 2, std::nullopt},
                      RecordCase{"NoLongitude", "2014-06-21 03,T,20", 2, std::nullopt},
                      RecordCase{"UnreadableOptionalFields",
                                 "2014-06-21 03,T,1,2,,x,y,,,east,fast,,,,,,,,,,,,,z,,,,,,?,?", 2,
                                 Record({2014, 6, 21, 3}, 'T', 1.0F, 2.0F)},
                      RecordCase{"UnknownIsNotEarlyFromVersion1",
                                 Line(Status("Unknown", "UNDEFINE")), 2, FullRecord()},
                      RecordCase{"EarlyStageInVersion0", Line(Status("Early Stage", "")), 0,
                                 FullRecord()}),
    [](const auto& info) { return std::string(info.param.name); });

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The storm `text`, written as a track file, gives for 03 UTC on 21 June 2014.
std::optional<SelectedStorm> StormOf(const std::string& text, const Settings& settings = {}) {
  testing::TempDir dir;
  const std::string path = dir.File("TC1407.HST");
  testing::WriteTextFile(path, text);
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
  if (!file) return std::nullopt;
  return SelectStorm(file.get(), {2014, 6, 21, 3}, settings);
}

TrackRecordSpec At(std::string time, std::string stage, std::string ci_number = "5.0") {
  TrackRecordSpec spec;
  spec.time = std::move(time);
  spec.stage = std::move(stage);
  spec.ci_number = std::move(ci_number);
  return spec;
}

TEST(SelectStormTest, ADepressionTakesItsLabelAndColour) {
  TrackFileSpec spec;
  spec.records = {At("2014-06-21 03", "d")};
  Settings settings;
  settings.TdpCol = {1, 2, 3};
  const std::optional<SelectedStorm> storm = StormOf(testing::BuildTrackFile(spec), settings);
  ASSERT_TRUE(storm);
  EXPECT_EQ(storm->label, "TD");
  EXPECT_EQ(storm->colour, (Colour{1, 2, 3}));
}

TEST(SelectStormTest, AnEarlyStageRecordTakesTheEarlyAnalysisStyle) {
  TrackFileSpec spec;
  spec.header.typhoon_label = "";
  spec.header.depression_label = "";
  spec.header.early_number = "7";
  TrackRecordSpec record = Status("Early Stage", "");
  record.t_number = "1.5";
  spec.records = {record};
  const std::optional<SelectedStorm> storm = StormOf(testing::BuildTrackFile(spec));
  ASSERT_TRUE(storm);
  EXPECT_EQ(storm->label, "EDA007");
  EXPECT_EQ(storm->colour, Settings{}.EdaCol);
  EXPECT_FLOAT_EQ(storm->intensity, 1.5F);
  EXPECT_FLOAT_EQ(storm->record.wf, -1.0F);
  EXPECT_FLOAT_EQ(storm->record.at, -99.0F);
  EXPECT_FLOAT_EQ(storm->record.ci_number, 5.0F);
}

TEST(SelectStormTest, TheSecondLineIsNeverARecord) {
  TrackFileSpec spec;
  spec.headings = testing::TrackRecordLine(At("2014-06-21 03", "T"));
  EXPECT_FALSE(StormOf(testing::BuildTrackFile(spec)));
}

TEST(SelectStormTest, ALongLineIsReadAsSeveralLines) {
  // 10239 bytes fill the line buffer; the rest of the line is read as a line of its own.
  const std::string start = testing::TrackHeaderLine({}) + "\nheadings\n";
  const std::string record = testing::TrackRecordLine(At("2014-06-21 03", "T")) + "\n";
  EXPECT_TRUE(StormOf(start + std::string(10239, 'x') + record));
  // One byte less, and the record's first digit stays with the line before it.
  EXPECT_FALSE(StormOf(start + std::string(10238, 'x') + record));
}

TEST(SelectStormTest, AFileWithoutAHeaderGivesNothing) {
  EXPECT_FALSE(StormOf(""));
  EXPECT_FALSE(StormOf("DVORAK,TD\n\n" + testing::TrackRecordLine({}) + "\n"));
}

}  // namespace
}  // namespace nephrax
