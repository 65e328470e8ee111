#include "setup/channel_identifiers.h"

namespace nephrax {

int SetChannelIdentifiers(ChannelTable& table, int32_t channel, std::string_view identifiers) {
  const size_t comma = identifiers.find(',');
  const std::string_view first = identifiers.substr(0, comma);
  std::string_view second;
  if (comma != std::string_view::npos) {
    second = identifiers.substr(comma + 1);
    second = second.substr(0, second.find(','));  // only the first two identifiers count
  }
  const std::string_view further = second.empty() ? first : second;

  bool first_row = true;
  for (ChannelRow& row : table) {
    if (row.index != channel) continue;
    row.name = first_row ? first : further;
    first_row = false;
  }
  return second.empty() ? 1 : 2;
}

std::string ChannelIdentifierText(const ChannelTable& table, int32_t channel) {
  std::string text;
  int rows = 0;
  for (const ChannelRow& row : table) {
    if (row.index != channel) continue;
    if (rows > 0) text += ',';
    text += row.name;
    if (++rows == 2) break;
  }
  return text;
}

}  // namespace nephrax
