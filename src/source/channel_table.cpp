#include "source/channel_table.h"

#include <algorithm>

namespace nephrax {

ChannelTable BuiltInChannelTable() {
  return {
      {0, "IR"},  {0, "B13"}, {1, "WV"},  {1, "B08"}, {2, "I4"},  {2, "B07"}, {3, "VS"},
      {3, "B03"}, {4, "V1"},  {4, "B01"}, {5, "V2"},  {5, "B02"}, {6, "N1"},  {6, "B04"},
      {7, "N2"},  {7, "B05"}, {8, "N3"},  {8, "B06"}, {9, "W2"},  {9, "B09"}, {10, "W3"},
      {10, "B10"}, {11, "MI"}, {11, "B11"}, {12, "O3"}, {12, "B12"}, {13, "L2"}, {13, "B14"},
      {14, "I2"}, {14, "B15"}, {15, "CO"}, {15, "B16"}, {16, "S1"}, {16, "SP"}, {17, "S2"},
      {18, "S3"}, {19, "S4"}, {20, "S5"}, {21, "S6"}, {22, "S7"}, {23, "S8"}, {26, "RADAR"},
  };
}

std::string ChannelText(const ControlBlock& block) {
  // The dash is looked for in nine bytes: an 8-byte field without a terminator runs into the satellite name's first byte.
  constexpr size_t kScanLength = cb::kChannelLength + 1;
  const std::string field = block.Text(cb::kChannel, kScanLength);
  const size_t dash = field.find('-');
  const size_t start = cb::kChannel + (dash == std::string::npos ? 0 : dash + 1);
  // The text runs to its terminator, as the names are matched against it as a C string.
  return block.Text(start, kControlBlockSize - start);
}

int32_t LookupChannel(const ChannelTable& table, std::string_view channel_text) {
  const auto row = std::find_if(table.begin(), table.end(), [&](const ChannelRow& r) {
    return !r.name.empty() && channel_text.starts_with(r.name);
  });
  return row == table.end() ? kUnknownChannel : row->index;
}

}  // namespace nephrax
