// Whole reports of the cyclone overlay, compared byte for byte.
#include "cyclone/cyclone_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cyclone/draw_cyclones.h"
#include "cyclone_scene.h"
#include "platform/system_info.h"

namespace nephrax {
namespace {

using testing::TrackFileEntry;
using testing::TrackFileSpec;
using testing::TrackRecordSpec;

constexpr const char* kColumns = ",Name,Lat,Lon,Ac,Wf,At,T-no,CI-no,DDD,FF\r\n";
// The header of 03 UTC on 21 June, and the row of the builder's default record.
const std::string kHeader = std::string("062103UTC") + kColumns;
const std::string kRow = "T1407,CIRRUS,20.0N,130.0E,3,5,3,4.5,5.0,290,10\r\n";

struct ReportCase {
  std::string name;
  std::vector<TrackFileEntry> files;
  std::string expected;
  TimeRecord observation = testing::kSampleTime;
};

void PrintTo(const ReportCase& report_case, std::ostream* out) {
  *out << report_case.name;
}

// One history file with one record.
std::vector<TrackFileEntry> OneRecord(const TrackRecordSpec& record) {
  TrackFileSpec spec;
  spec.records = {record};
  return {{"TC1407.HST", spec}};
}

// One history file per record, named in the records' order, each with its own storm label.
std::vector<TrackFileEntry> FilePerRecord(const std::vector<TrackRecordSpec>& records) {
  std::vector<TrackFileEntry> files;
  for (size_t i = 0; i < records.size(); ++i) {
    TrackFileSpec spec;
    spec.header.typhoon_label = "T" + std::to_string(i);
    spec.records = {records[i]};
    files.push_back({"TC" + std::to_string(i) + ".HST", spec});
  }
  return files;
}

TrackRecordSpec Moving(std::string direction, std::string speed) {
  TrackRecordSpec record;
  record.direction = std::move(direction);
  record.speed = std::move(speed);
  return record;
}

std::vector<TrackRecordSpec> Each(std::string TrackRecordSpec::*field,
                                  const std::vector<std::string>& values) {
  std::vector<TrackRecordSpec> records;
  for (const std::string& value : values) {
    TrackRecordSpec record;
    record.*field = value;
    records.push_back(record);
  }
  return records;
}

// Rows of the storms T0, T1, ... that differ from the default row only in `middle`, the columns
// between the longitude and the T-number.
std::string ClassRows(const std::vector<std::string>& middles) {
  std::string rows;
  for (size_t i = 0; i < middles.size(); ++i) {
    rows += "T" + std::to_string(i) + ",CIRRUS,20.0N,130.0E," + middles[i] + ",4.5,5.0,290,10\r\n";
  }
  return rows;
}

TrackFileSpec EarlyAnalysis(const std::string& version, TrackRecordSpec record) {
  TrackFileSpec spec;
  spec.header.early_number = "3";
  spec.header.version = version;
  spec.records = {std::move(record)};
  return spec;
}

TrackRecordSpec WithStatus(std::string status, std::string secondary, size_t field_count = 31) {
  TrackRecordSpec record;
  record.status = std::move(status);
  record.secondary_status = std::move(secondary);
  record.field_count = field_count;
  return record;
}

TrackFileSpec Labelled(std::string typhoon_label, std::vector<TrackRecordSpec> records = {{}}) {
  TrackFileSpec spec;
  spec.header.typhoon_label = std::move(typhoon_label);
  spec.records = std::move(records);
  return spec;
}

std::vector<ReportCase> ReportCases() {
  TrackRecordSpec new_year;
  new_year.time = "2015-01-01 00";
  TrackRecordSpec second_at_hour;
  second_at_hour.ci_number = "6.0";
  TrackRecordSpec depression;
  depression.stage = "D";
  TrackFileSpec lower_case_mark;
  lower_case_mark.header.mark = "dvorak";
  lower_case_mark.records = {{}};
  TrackFileSpec nameless = lower_case_mark;
  nameless.header.name = "";

  return {
      {"HeaderAcrossTheYear",
       OneRecord(new_year),
       std::string("010100UTC") + kColumns + kRow,
       {20, 14, 12, 31, 23, 40, 0}},
      {"SlowStormStandsStill", OneRecord(Moving("90", "2")),
       kHeader + "T1407,CIRRUS,20.0N,130.0E,3,5,3,4.5,5.0,000,00\r\n"},
      {"NorthwardIs360", OneRecord(Moving("0", "3")),
       kHeader + "T1407,CIRRUS,20.0N,130.0E,3,5,3,4.5,5.0,360,03\r\n"},
      {"UnknownMovement", OneRecord(Moving("-1", "-1")),
       kHeader + "T1407,CIRRUS,20.0N,130.0E,3,5,3,4.5,5.0,///,//\r\n"},
      {"MissingMovement", OneRecord(Moving("", "")),
       kHeader + "T1407,CIRRUS,20.0N,130.0E,3,5,3,4.5,5.0,///,//\r\n"},
      {"DirectionWithoutSpeed", OneRecord(Moving("45", "")),
       kHeader + "T1407,CIRRUS,20.0N,130.0E,3,5,3,4.5,5.0,000,//\r\n"},
      {"AcClasses",
       FilePerRecord(Each(&TrackRecordSpec::ac, {"20", "20.5", "300", "301", "-1", "0", ""})),
       kHeader + ClassRows({"1,5,3", "2,5,3", "5,5,3", "/,5,3", "/,5,3", "1,5,3", "/,5,3"})},
      {"WfClasses",
       FilePerRecord(Each(&TrackRecordSpec::wf, {"0", "109.9", "110", "989", "990", "1000", "-1"})),
       kHeader + ClassRows({"3,0,3", "3,0,3", "3,1,3", "3,8,3", "3,9,3", "3,9,3", "3,/,3"})},
      {"AtClasses",
       FilePerRecord(
           Each(&TrackRecordSpec::at, {"1.5", "1.6", "", "-1.5", "-90", "-90.5", "-0.4", "0.5"})),
       kHeader +
           ClassRows({"3,5,4", "3,5,/", "3,5,/", "3,5,0", "3,5,0", "3,5,/", "3,5,2", "3,5,3"})},
      {"Positions",
       FilePerRecord({[] {
                        TrackRecordSpec r;
                        r.lat = "-0.04";
                        return r;
                      }(),
                      [] {
                        TrackRecordSpec r;
                        r.lon = "-190.0";
                        return r;
                      }(),
                      [] {
                        TrackRecordSpec r;
                        r.lat = "95.0";
                        r.lon = "200";
                        return r;
                      }(),
                      [] {
                        TrackRecordSpec r;
                        r.lat = "-90";
                        r.lon = "400";
                        return r;
                      }()}),
       kHeader + "T0,CIRRUS,0.0S,130.0E,3,5,3,4.5,5.0,290,10\r\n" +
           "T1,CIRRUS,20.0N,170.0E,3,5,3,4.5,5.0,290,10\r\n" +
           "T2,CIRRUS,xx.xN,160.0W,3,5,3,4.5,5.0,290,10\r\n" +
           "T3,CIRRUS,90.0S,xxx.xE,3,5,3,4.5,5.0,290,10\r\n"},
      {"TwoRecordsAtTheHour",
       {{"TC1407.HST", Labelled("T1407", {{}, second_at_hour})}},
       kHeader + kRow},
      {"TyphoonWithoutTyphoonLabel", {{"TC1407.HST", Labelled("", {{}, depression})}}, kHeader},
      {"DepressionLabel", OneRecord(depression),
       kHeader + "TD,CIRRUS,20.0N,130.0E,3,5,3,4.5,5.0,290,10\r\n"},
      {"MarkInLowerCase", {{"TC1407.HST", lower_case_mark}}, kHeader + kRow},
      {"Nameless",
       {{"TC1407.HST", nameless}},
       kHeader + "T1407,NAMELESS,20.0N,130.0E,3,5,3,4.5,5.0,290,10\r\n"},
      {"EarlyStageTakesTheEarlyLabel",
       {{"EDA003.csv", EarlyAnalysis("V2", WithStatus("Early Stage", ""))}},
       kHeader + "EDA003,CIRRUS,20.0N,130.0E,3,/,/,4.5,5.0,290,10\r\n"},
      {"EarlyStageHasCase",
       {{"EDA003.csv", EarlyAnalysis("V2", WithStatus("early stage", ""))}},
       kHeader + kRow},
      {"Version0EarlyStage",
       {{"EDA003.csv", EarlyAnalysis("", WithStatus("Unknown", "UNDEFINE"))}},
       kHeader + "EDA003,CIRRUS,20.0N,130.0E,3,/,/,4.5,5.0,290,10\r\n"},
      {"Version0WithoutField22",
       {{"EDA003.csv", EarlyAnalysis("", WithStatus("Unknown", "", 21))}},
       kHeader + "T1407,CIRRUS,20.0N,130.0E,3,5,/,-1.0,-1.0,290,10\r\n"},
      {"EarlyFilesFirstInNameOrder",
       {{"tc2.hst", Labelled("D")},
        {"TC1.HST", Labelled("C")},
        {"eda9.CSV", Labelled("B")},
        {"EDA1.csv", Labelled("A")},
        {"TC1.HST.old", Labelled("X")},
        {"XTC1.HST", Labelled("Y")}},
       kHeader + "A" + kRow.substr(5) + "B" + kRow.substr(5) + "C" + kRow.substr(5) + "D" +
           kRow.substr(5)},
      {"NoStormAtTheHour", OneRecord(new_year), kHeader},
      {"NoTrackFiles", {}, kHeader},
  };
}

class CycloneReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(CycloneReportTest, WritesTheHeaderAndARowPerStorm) {
  testing::TempDir dir;
  const std::string history = dir.File("hst");
  testing::WriteTrackFiles(history, GetParam().files);
  std::optional<Surface> surface = CreateSurface(64, 48);
  ASSERT_TRUE(surface);
  const Settings settings;
  const ControlBlock control = testing::ObservedAt(GetParam().observation);
  const ZoomState zoom;
  const std::string report = dir.File("storms.csv");

  const bool drawn =
      DrawCyclones(*surface, {settings, Language::kEnglish, control, zoom}, history, report);

  EXPECT_EQ(testing::ReadTextFile(report), GetParam().expected);
  EXPECT_EQ(drawn, GetParam().expected.size() > kHeader.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, CycloneReportTest, ::testing::ValuesIn(ReportCases()),
                         [](const auto& info) { return info.param.name; });

class CycloneFilesTest : public ::testing::Test {
 protected:
  bool Draw(const std::string& history, const std::optional<std::string>& report) {
    return DrawCyclones(*surface_, {settings_, Language::kEnglish, control_, zoom_}, history,
                        report);
  }

  testing::TempDir dir_;
  std::optional<Surface> surface_ = CreateSurface(64, 48);
  Settings settings_;
  ControlBlock control_ = testing::ObservedAt(testing::kSampleTime);
  ZoomState zoom_;
};

TEST_F(CycloneFilesTest, AFileThatCannotBeOpenedIsReportedAndTheOthersAreRead) {
  const std::string history = dir_.File("hst");
  testing::WriteTrackFiles(history, {{"TC2.HST", Labelled("T2")}});
  std::filesystem::create_directory(history + "/TC1.HST");
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(Draw(history, dir_.File("report.csv")));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "File open error.\r\n");
  EXPECT_EQ(testing::ReadTextFile(dir_.File("report.csv")), kHeader + "T2" + kRow.substr(5));
}

TEST_F(CycloneFilesTest, APathBeyond255BytesIsRefusedNotCut) {
  // One name makes a path of 255 bytes, the other one byte more; cut to 255 bytes, the longer
  // path would name the shorter one's file.
  const std::string history = dir_.File("hst");
  const size_t fill = 255 - history.size() - 1 - 7;
  const std::string fitting = "TC1" + std::string(fill, 'X') + ".HST";
  const std::string too_long = "TC1" + std::string(fill + 1, 'X') + ".HST";
  ASSERT_EQ(JoinPath(history, fitting).size(), 255U);
  testing::WriteTrackFiles(history, {{fitting, Labelled("FITS")}, {too_long, Labelled("LONG")}});
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(Draw(history, dir_.File("report.csv")));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "File open error.\r\n");
  EXPECT_EQ(testing::ReadTextFile(dir_.File("report.csv")), kHeader + "FITS" + kRow.substr(5));
}

TEST_F(CycloneFilesTest, AReportThatCannotBeCreatedIsLeftOutSilently) {
  const std::string history = dir_.File("hst");
  testing::WriteTrackFiles(history, {{"TC1.HST", Labelled("T1")}});
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(Draw(history, dir_.File("missing/report.csv")));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("missing")));
}

TEST_F(CycloneFilesTest, AnEarlierReportIsReplacedWhole) {
  const std::string report = dir_.File("report.csv");
  testing::WriteTextFile(report, std::string(5000, 'z'));
  EXPECT_FALSE(Draw(dir_.File("none"), report));
  EXPECT_EQ(testing::ReadTextFile(report), kHeader);
  // Only the report is left beside it: no temporary file stays behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(CycloneFilesTest, WithoutAReportPathNothingIsWritten) {
  const std::string history = dir_.File("hst");
  testing::WriteTrackFiles(history, {{"TC1.HST", Labelled("T1")}});
  EXPECT_TRUE(Draw(history, std::nullopt));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace nephrax
