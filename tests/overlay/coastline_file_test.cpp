// Walking the records of coastline files: built ones, damaged ones and the bundled data.

#include "overlay/coastline_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "driver/run.h"
#include "support/coastline_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::BuildCoastlineFile;
using testing::CoastlineFileSpec;
using testing::CoastlineRecordSpec;

// What a walk saw: each visited record with its points copied out, and how it ended.
struct Walk {
  CoastlineEnd end = CoastlineEnd::kEndOfData;
  std::vector<CoastlineRecord> records;
  std::vector<std::vector<CoastlinePoint>> points;
};

Walk WalkRecords(std::span<const uint8_t> image) {
  Walk walk;
  walk.end = ForEachCoastlineRecord(image, [&](const CoastlineRecord& record) {
    walk.records.push_back(record);
    std::vector<CoastlinePoint>& points = walk.points.emplace_back();
    for (size_t j = 0; j < record.PointCount(); ++j) points.push_back(record.Point(j));
  });
  return walk;
}

CoastlineRecordSpec Line(int16_t element_type, std::vector<CoastlinePoint> points) {
  CoastlineRecordSpec record;
  record.element_type = element_type;
  record.points = std::move(points);
  return record;
}

TEST(CoastlineFileTest, ReadsEachRecordsTypeExtentAndSignedPoints) {
  CoastlineFileSpec spec;
  spec.records.push_back(Line(1, {{13950, 3560}, {14010, 3520}, {13980, 3470}}));
  // West and south are negative; the extent is stored east before west here.
  CoastlineRecordSpec border = Line(3, {{-17990, -4510}, {-17500, -4480}});
  border.lon_a = -17500;
  border.lon_b = -17990;
  spec.records.push_back(border);
  spec.records.push_back(Line(-2, {{0, 0}, {1, -1}}));

  const std::vector<uint8_t> file = BuildCoastlineFile(spec);
  const Walk walk = WalkRecords(file);

  EXPECT_EQ(walk.end, CoastlineEnd::kEndMarker);
  ASSERT_EQ(walk.records.size(), 3U);
  const CoastlineRecord& coast = walk.records[0];
  EXPECT_EQ(coast.element_type, 1);
  EXPECT_EQ(coast.lon_a, 13950);
  EXPECT_EQ(coast.lon_b, 14010);
  EXPECT_EQ(coast.lowest_lat, 3470);
  EXPECT_EQ(coast.highest_lat, 3560);
  EXPECT_EQ(walk.points[0],
            (std::vector<CoastlinePoint>{{13950, 3560}, {14010, 3520}, {13980, 3470}}));
  const CoastlineRecord& west = walk.records[1];
  EXPECT_EQ(west.element_type, 3);
  EXPECT_EQ(west.lon_a, -17500);
  EXPECT_EQ(west.lon_b, -17990);
  EXPECT_EQ(west.lowest_lat, -4510);
  EXPECT_EQ(west.highest_lat, -4480);
  EXPECT_EQ(walk.points[1], (std::vector<CoastlinePoint>{{-17990, -4510}, {-17500, -4480}}));
  EXPECT_EQ(walk.records[2].element_type, -2);
  EXPECT_EQ(walk.points[2], (std::vector<CoastlinePoint>{{0, 0}, {1, -1}}));
}

TEST(CoastlineFileTest, AnyNonzeroMarkerOpensARecordAndEmptyRecordsAreWalkedOver) {
  CoastlineFileSpec spec;
  CoastlineRecordSpec odd_marker = Line(1, {{100, 200}, {300, 400}});
  odd_marker.marker = -1;
  spec.records.push_back(odd_marker);
  spec.records.push_back(Line(2, {}));
  spec.records.push_back(Line(4, {{500, 600}, {700, 800}}));

  const Walk walk = WalkRecords(BuildCoastlineFile(spec));

  EXPECT_EQ(walk.end, CoastlineEnd::kEndMarker);
  ASSERT_EQ(walk.records.size(), 3U);
  EXPECT_EQ(walk.records[1].PointCount(), 0U);
  EXPECT_EQ(walk.records[2].element_type, 4);
  EXPECT_EQ(walk.points[2], (std::vector<CoastlinePoint>{{500, 600}, {700, 800}}));
}

TEST(CoastlineFileTest, FirstByteSaysWhetherRecordsCarryElementTypes) {
  CoastlineFileSpec spec;
  spec.element_type_flag = 0;
  EXPECT_FALSE(CoastlineHasElementTypes(BuildCoastlineFile(spec)));
  spec.element_type_flag = 0x80;
  EXPECT_TRUE(CoastlineHasElementTypes(BuildCoastlineFile(spec)));
  EXPECT_FALSE(CoastlineHasElementTypes({}));
}

// A valid file of two records, cut or damaged in one way; the reader must stop inside the bytes
// it was given (the image is exactly as long as the case's bytes, so a read past it shows under
// AddressSanitizer) and keep the records before the damage.
struct DamagedCase {
  std::string name;
  std::vector<uint8_t> bytes;
  CoastlineEnd end;
  size_t whole_records;
};

std::vector<DamagedCase> DamagedCases() {
  CoastlineFileSpec spec;
  spec.records.push_back(Line(1, {{100, 100}, {200, 200}, {300, 100}}));
  spec.records.push_back(Line(3, {{400, 100}, {500, 200}}));
  const std::vector<uint8_t> whole = BuildCoastlineFile(spec);
  const size_t second_record = 16 + 14 + 3 * 4;
  const auto cut = [&](size_t size) {
    return std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(size));
  };

  CoastlineFileSpec overlong = spec;
  overlong.records[1].point_count = 3;  // one point more than the file holds
  CoastlineFileSpec huge = spec;
  huge.records[1].point_count = INT16_MAX;
  CoastlineFileSpec negative = spec;
  negative.records[1].point_count = -1;
  CoastlineFileSpec unended = spec;
  unended.end_marker = false;

  return {
      {"Empty", {}, CoastlineEnd::kEndOfData, 0},
      {"ShorterThanTheHeader", cut(15), CoastlineEnd::kEndOfData, 0},
      {"HeaderOnly", cut(16), CoastlineEnd::kEndOfData, 0},
      {"HalfAMarker", cut(17), CoastlineEnd::kEndOfData, 0},
      {"RecordHeaderCut", cut(16 + 13), CoastlineEnd::kEndOfData, 0},
      {"PointsCut", cut(second_record - 1), CoastlineEnd::kEndOfData, 0},
      {"EndMarkerMissing", BuildCoastlineFile(unended), CoastlineEnd::kEndOfData, 2},
      {"SecondRecordHeaderCut", cut(second_record + 6), CoastlineEnd::kEndOfData, 1},
      {"CountOneTooMany", BuildCoastlineFile(overlong), CoastlineEnd::kEndOfData, 1},
      {"CountFarPastTheEnd", BuildCoastlineFile(huge), CoastlineEnd::kEndOfData, 1},
      {"NegativeCount", BuildCoastlineFile(negative), CoastlineEnd::kNegativeCount, 1},
  };
}

TEST(CoastlineFileTest, DamagedFilesStopCleanlyAfterTheirWholeRecords) {
  for (const DamagedCase& damaged : DamagedCases()) {
    SCOPED_TRACE(damaged.name);
    const Walk walk = WalkRecords(damaged.bytes);
    EXPECT_EQ(walk.end, damaged.end);
    ASSERT_EQ(walk.records.size(), damaged.whole_records);
    if (damaged.whole_records > 0) {
      EXPECT_EQ(walk.points[0], (std::vector<CoastlinePoint>{{100, 100}, {200, 200}, {300, 100}}));
    }
  }
}

TEST(CoastlineFileTest, HeldImageOfAFileWithoutEndMarkerEndsAtTheZeroFill) {
  CoastlineFileSpec spec;
  spec.records.push_back(Line(1, {{100, 100}, {200, 200}}));
  spec.end_marker = false;
  const testing::TempDir dir;
  const std::string path = dir.File("unended.dat");
  testing::WriteBytes(path, BuildCoastlineFile(spec));

  const std::optional<std::vector<uint8_t>> image = LoadMapFile(path);
  ASSERT_TRUE(image.has_value());
  const Walk walk = WalkRecords(*image);

  EXPECT_EQ(walk.end, CoastlineEnd::kEndMarker);
  EXPECT_EQ(walk.records.size(), 1U);
}

// The coastline files the program ships, from finest to coarsest.
const std::vector<std::string> kBundledFiles = {"msMap2.dat", "msMap9.dat", "msMap30.dat"};

struct BundledSummary {
  CoastlineEnd end = CoastlineEnd::kEndOfData;
  size_t bytes_walked = kCoastlineHeaderSize;
  size_t points = 0;
  std::set<int32_t> element_types;
  std::vector<std::string> faults;  // records whose contents are not what a drawing expects
  CoastlinePoint west{INT32_MAX, 0}, east{INT32_MIN, 0}, south{0, INT32_MAX}, north{0, INT32_MIN};
};

void CheckRecord(const CoastlineRecord& record, BundledSummary& summary) {
  const int32_t low_lon = std::min(record.lon_a, record.lon_b);
  const int32_t high_lon = std::max(record.lon_a, record.lon_b);
  if (record.PointCount() < 2) summary.faults.push_back("record of fewer than 2 points");
  for (size_t j = 0; j < record.PointCount(); ++j) {
    const CoastlinePoint p = record.Point(j);
    if (p.lon < -18000 || p.lon > 18000 || p.lat < -9000 || p.lat > 9000) {
      summary.faults.push_back("point off the globe");
    }
    if (p.lon < low_lon || p.lon > high_lon || p.lat < record.lowest_lat ||
        p.lat > record.highest_lat) {
      summary.faults.push_back("point outside its record's extent");
    }
    if (p.lon < summary.west.lon) summary.west = p;
    if (p.lon > summary.east.lon) summary.east = p;
    if (p.lat < summary.south.lat) summary.south = p;
    if (p.lat > summary.north.lat) summary.north = p;
  }
}

BundledSummary SummariseBundledFile(const std::string& name) {
  const std::vector<uint8_t> file =
      testing::ReadBytes(std::string(NEPHRAX_SOURCE_DIR "/data/coast/") + name);
  BundledSummary summary;
  summary.end = ForEachCoastlineRecord(file, [&](const CoastlineRecord& record) {
    summary.bytes_walked += kCoastlineRecordHeaderSize + record.point_bytes.size();
    summary.points += record.PointCount();
    summary.element_types.insert(record.element_type);
    CheckRecord(record, summary);
  });
  summary.bytes_walked += 2;  // the end marker
  EXPECT_TRUE(CoastlineHasElementTypes(file)) << name;
  EXPECT_EQ(summary.bytes_walked, file.size()) << name << ": bytes after the end marker";
  return summary;
}

TEST(CoastlineFileTest, BundledFilesParseWholeAndHoldTheFourElementTypesOfTheGlobe) {
  std::vector<size_t> point_counts;
  for (const std::string& name : kBundledFiles) {
    SCOPED_TRACE(name);
    const BundledSummary summary = SummariseBundledFile(name);
    EXPECT_EQ(summary.end, CoastlineEnd::kEndMarker);
    EXPECT_EQ(summary.element_types, (std::set<int32_t>{1, 2, 3, 4}));
    EXPECT_TRUE(summary.faults.empty())
        << summary.faults.size() << " faults, first: " << summary.faults.front();
    // Land reaches both sides of the 180th meridian and both polar regions.
    EXPECT_LE(summary.west.lon, -17900);
    EXPECT_GE(summary.east.lon, 17900);
    EXPECT_LE(summary.south.lat, -7000);
    EXPECT_GE(summary.north.lat, 8000);
    point_counts.push_back(summary.points);
  }
  // Finer files, for larger scales, hold more detail.
  EXPECT_GT(point_counts[0], point_counts[1]);
  EXPECT_GT(point_counts[1], point_counts[2]);
}

}  // namespace
}  // namespace nephrax
