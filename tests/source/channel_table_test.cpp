#include "source/channel_table.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/source_file_builder.h"

namespace nephrax {
namespace {

ControlBlock BlockWithChannel(const std::string& channel, const std::string& satellite = "SAT") {
  testing::SourceFileSpec spec;
  spec.channel = channel;
  spec.satellite = satellite;
  ControlBlock block;
  const std::vector<uint8_t> bytes = testing::BuildControlBlock(spec);
  std::memcpy(block.bytes.data(), bytes.data(), bytes.size());
  return block;
}

struct ChannelCase {
  const char* channel;
  const char* satellite;
  int32_t index;
};

class LookupChannelTest : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(LookupChannelTest, FindsTheFirstRowWhoseNameBeginsTheText) {
  const ChannelCase& c = GetParam();
  EXPECT_EQ(LookupChannel(BuiltInChannelTable(), ChannelText(BlockWithChannel(c.channel, c.satellite))),
            c.index)
      << c.channel;
}

INSTANTIATE_TEST_SUITE_P(
    BuiltInTable, LookupChannelTest,
    ::testing::Values(ChannelCase{"GEO-IR2", "SAT", 0}, ChannelCase{"GEO-B13", "SAT", 0},
                      ChannelCase{"IR1", "SAT", 0}, ChannelCase{"IR4", "SAT", 0},
                      ChannelCase{"VS", "SAT", 3}, ChannelCase{"X-B03", "SAT", 3},
                      ChannelCase{"X-WV", "SAT", 1}, ChannelCase{"A-B16", "SAT", 15},
                      ChannelCase{"A-SP", "SAT", 16}, ChannelCase{"A-S1", "SAT", 16},
                      ChannelCase{"A-S8", "SAT", 23}, ChannelCase{"X-RADAR", "SAT", kRadarChannel},
                      ChannelCase{"X-FOG", "SAT", kUnknownChannel},
                      ChannelCase{"", "SAT", kUnknownChannel},
                      // Only the text after the first "-" counts.
                      ChannelCase{"IR-VS", "SAT", 3},
                      // A field without "-" is matched from its first byte.
                      ChannelCase{"B07-IR", "SAT", 0},
                      // A full 8-byte field runs on into the satellite name; the "-" is looked
                      // for in nine bytes, and the text after it runs to its terminator.
                      ChannelCase{"ABCDEFGH", "-IR", 0},
                      ChannelCase{"ABCDEFGH", "X-IR", kUnknownChannel},
                      ChannelCase{"ABCDEFG-", "IR", 0}));

TEST(LookupChannelTest, RenamedRowsReplaceTheBuiltInNames) {
  ChannelTable table = BuiltInChannelTable();
  for (ChannelRow& row : table) {
    if (row.index == 0) row.name = "XX";
  }
  EXPECT_EQ(LookupChannel(table, "XX"), 0);
  EXPECT_EQ(LookupChannel(table, "B13"), kUnknownChannel);
  EXPECT_EQ(LookupChannel(table, "IR"), kUnknownChannel);
}

}  // namespace
}  // namespace nephrax
