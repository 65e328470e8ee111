// Every count of small source files, drawn 1:1 and written as a BMP, must come out in exactly the
// colour that the display rules give its calibrated value. The expected colours are worked out
// here from the rules themselves, on the file's own counts and table, independently of the
// program's tables.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "core/colour.h"
#include "output/picture_writer.h"
#include "render/draw_picture.h"
#include "source/source_reader.h"
#include "support/bmp_file.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::SourceFileSpec;

constexpr std::array<Colour, 16> kScale{{{0, 0, 0},       {128, 128, 128}, {0, 0, 128},
                                         {128, 0, 0},     {128, 0, 128},   {0, 128, 0},
                                         {0, 128, 128},   {128, 128, 0},   {192, 192, 192},
                                         {0, 0, 255},     {255, 0, 0},     {255, 0, 255},
                                         {0, 255, 0},     {0, 255, 255},   {255, 255, 0},
                                         {255, 255, 255}}};  // by level 0..15
constexpr Colour kBlack{0, 0, 0};
constexpr Colour kWhite{255, 255, 255};

struct ColourCase {
  std::string name;
  bool sixteen_bit;
  bool infrared;
  int32_t col;
  bool rev;
  int32_t first = 0;
};

// The display rules, written out for one channel and one ascending table.
class ExpectedColours {
 public:
  ExpectedColours(const ColourCase& c, const ChannelSettings& channel, std::vector<float> table)
      : case_(c), channel_(channel), table_(std::move(table)),
        last_(c.first + static_cast<int32_t>(table_.size()) - 1) {
    invert_ = channel.tbb != channel.rev;
    const double unit = channel.abs ? 273.15 : 0.0;
    ramp_low_count_ = std::max(NearestCount(channel.min + unit), c.first);
    ramp_high_count_ = std::min(NearestCount(channel.max + unit), last_);
  }

  // Colour of an internal (ascending-table) count.
  Colour OfCount(int32_t count) const {
    if (case_.sixteen_bit) count = HighestCountOfIndex(count);
    if (case_.col >= 0 && case_.col <= 3) return ColourSet(Value(count));
    if (count >= ramp_high_count_) return invert_ ? kBlack : kWhite;
    if (count < ramp_low_count_) return invert_ ? kWhite : kBlack;
    return Ramp(Value(count));
  }

 private:
  double Value(int32_t count) const {
    const int32_t k = std::clamp(count, case_.first, last_) - case_.first;
    return static_cast<double>(table_[static_cast<size_t>(k)]) - (channel_.abs ? 273.15 : 0.0);
  }

  // Nearest count, a value halfway between two going to the lower.
  int32_t NearestCount(double v) const {
    int32_t best = case_.first;
    for (int32_t c = case_.first; c <= last_; ++c) {
      const double t = table_[static_cast<size_t>(c - case_.first)];
      if (std::abs(t - v) < std::abs(table_[static_cast<size_t>(best - case_.first)] - v)) best = c;
    }
    return best;
  }

  // 16-bit counts share palette entries; the highest count of an entry gives its colour.
  int32_t HighestCountOfIndex(int32_t count) const {
    const auto index = [&](int32_t c) {
      return ((c - case_.first) * 255 + (last_ - case_.first) / 2) / (last_ - case_.first);
    };
    int32_t highest = count;
    while (highest < last_ && index(highest + 1) == index(count)) ++highest;
    return highest;
  }

  Colour Ramp(double v) const {
    const double lo = channel_.min;
    const double hi = channel_.max;
    const double slope = 255 / (hi - lo);
    const double offset = -255 * lo / (hi - lo);
    const double g = std::clamp(offset + slope * v, 0.0, 255.0);
    const int32_t p = static_cast<int32_t>(g + 0.5);
    if (case_.col == 6) {
      const int32_t level = invert_ ? 15 - p / 16 : p / 16;
      return kScale[static_cast<size_t>(level)];
    }
    const int32_t step = case_.col == 4 ? 4 : case_.col == 5 ? 16 : 1;
    const int32_t level = p / step * step;
    const uint8_t grey = static_cast<uint8_t>(invert_ ? 255 - level : level);
    return Colour{grey, grey, grey};
  }

  // Piecewise linear through the set's points between the table's two ends.
  Colour ColourSet(double v) const {
    const double v_first = Value(case_.first);
    const double v_last = Value(last_);
    std::array<uint8_t, 3> levels{};
    for (size_t component = 0; component < 3; ++component) {
      double v_lo = v_first, v_up = v_last;
      int32_t l_lo = channel_.tbb ? 255 : 0, l_up = channel_.tbb ? 0 : 255;
      const ColourPointList& points =
          channel_.colour_points[static_cast<size_t>(case_.col)][component];
      size_t k = 0;
      while (k < points.size() && points[k].value < v) ++k;
      if (k < points.size()) {
        v_up = points[k].value;
        l_up = points[k].level;
      }
      if (k > 0) {
        v_lo = points[k - 1].value;
        l_lo = points[k - 1].level;
      }
      int32_t level = 0;
      if (v <= v_first) {
        level = l_lo;
      } else if (v >= v_last) {
        level = l_up;
      } else {
        const float a = static_cast<float>((l_lo * v_up - l_up * v_lo) / (v_up - v_lo));
        const float b = static_cast<float>((l_up - l_lo) / (v_up - v_lo));
        const float sum = a + b * static_cast<float>(v);
        level = static_cast<int32_t>(std::floor(static_cast<double>(sum) + 0.5));
      }
      levels[component] = static_cast<uint8_t>(level);
    }
    return Colour{levels[0], levels[1], levels[2]};
  }

  ColourCase case_;
  ChannelSettings channel_;
  std::vector<float> table_;
  int32_t last_;
  bool invert_;
  int32_t ramp_low_count_;
  int32_t ramp_high_count_;
};

std::vector<float> VisibleTable(int32_t first, int32_t last) {
  std::vector<float> values;
  for (int32_t c = first; c <= last; ++c) {
    values.push_back(static_cast<float>(c - first) / static_cast<float>(last - first));
  }
  return values;
}

class PictureColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(PictureColourTest, EveryCountHasTheColourOfItsValue) {
  const ColourCase& c = GetParam();
  SourceFileSpec spec;
  spec.channel = c.infrared ? "GEO-IR1" : "GEO-VS";
  spec.bytes_per_pixel = c.sixteen_bit ? 2 : 1;
  spec.first_count = c.first;
  spec.last_count = c.sixteen_bit ? 1023 : 255;
  spec.calibration = c.infrared ? testing::InfraredCalibration(spec.first_count, spec.last_count)
                                : VisibleTable(spec.first_count, spec.last_count);
  spec.width = c.sixteen_bit ? 32 : 16;
  spec.height = spec.width;
  spec.pixels.clear();
  for (int32_t i = 0; i < spec.width * spec.height; ++i) spec.pixels.push_back(static_cast<uint16_t>(i));

  Settings settings;
  // Only the image: no grid, coastlines or caption over its pixels.
  settings.Grid = settings.Map = false;
  settings.Dtm = -1;
  ChannelSettings& channel = settings.channels[c.infrared ? 0 : 3];
  channel.col = c.col;
  channel.rev = c.rev;
  // A hand-made red list for colour set 2; green and blue keep the default ramp.
  channel.colour_points[2][0] = c.infrared
                                    ? ColourPointList{{-50.0F, 30}, {0.0F, 200}, {20.0F, 90}}
                                    : ColourPointList{{0.2F, 250}, {0.5F, 10}};

  testing::TempDir dir;
  const std::string source_path = dir.File("source.dat");
  const std::string picture_path = dir.File("picture.bmp");
  testing::WriteBytes(source_path, testing::BuildSourceFile(spec));
  DisplayTables tables;
  SourceData source;
  ASSERT_TRUE(ReadSourceFile(source_path, BuiltInChannelTable(), settings, tables, source));
  std::optional<Surface> surface = CreateSurface(spec.width, spec.height);
  ASSERT_TRUE(surface);
  ZoomState zoom;
  ASSERT_TRUE(DrawPicture(*surface, source, tables, settings, LabelMetrics{}, zoom, {}));
  ASSERT_TRUE(WritePicture(*surface, picture_path, OutputFormat::kBmp, ImageLibrary{}, settings,
                           GeoArea{}));
  const testing::BmpFile bmp = testing::ReadBmpFile(picture_path);
  ASSERT_EQ(bmp.width, spec.width);
  ASSERT_EQ(bmp.height, spec.height);

  std::vector<float> table = spec.calibration;
  const bool falling = table.front() > table.back();
  if (falling) std::reverse(table.begin(), table.end());
  const ExpectedColours expected(c, channel, table);
  int mismatches = 0;
  for (int32_t y = 0; y < spec.height; ++y) {
    for (int32_t x = 0; x < spec.width; ++x) {
      const int32_t file_count = std::clamp<int32_t>(spec.pixels[static_cast<size_t>(y * spec.width + x)],
                                                     spec.first_count, spec.last_count);
      const int32_t count = falling ? spec.first_count + spec.last_count - file_count : file_count;
      const Colour want = expected.OfCount(count);
      const Colour got = bmp.Pixel(x, y);
      if (got != want && ++mismatches <= 5) {
        ADD_FAILURE() << "count " << file_count << ": got " << int{got.red} << "," << int{got.green}
                      << "," << int{got.blue} << " want " << int{want.red} << "," << int{want.green}
                      << "," << int{want.blue};
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

std::vector<ColourCase> AllCases() {
  std::vector<ColourCase> cases;
  for (const bool sixteen_bit : {false, true}) {
    for (const bool infrared : {true, false}) {
      for (const int32_t col : {-1, 4, 5, 6, 0, 2}) {
        for (const bool rev : {false, true}) {
          std::string name = std::string(sixteen_bit ? "Bits16" : "Bits8") +
                             (infrared ? "Infrared" : "Visible") + "Col" +
                             (col < 0 ? "Grey" : std::to_string(col)) + (rev ? "Rev" : "");
          cases.push_back(ColourCase{name, sixteen_bit, infrared, col, rev});
        }
      }
    }
  }
  cases.push_back(ColourCase{"Bits8CountsFrom40", false, true, -1, false, 40});
  cases.push_back(ColourCase{"Bits16CountsFrom300", true, false, 6, false, 300});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(DisplayModes, PictureColourTest, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace nephrax
