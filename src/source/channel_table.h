// The table that turns a source file's channel text into a channel index. Each row pairs one
// name with its index; rows are searched in order and the first name that is a prefix of the
// channel text wins. The setup file may rename the rows of a channel.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/control_block.h"

namespace nephrax {

inline constexpr int32_t kRadarChannel = 26;
inline constexpr int32_t kUnknownChannel = 999;

struct ChannelRow {
  int32_t index;
  std::string name;
};

using ChannelTable = std::vector<ChannelRow>;

ChannelTable BuiltInChannelTable();

// The channel text of a control block: what follows the first "-" of the channel field, or the
// whole field when it holds no "-". A field filling all 8 bytes runs on into the next byte.
std::string ChannelText(const ControlBlock& block);

// Index of the first row whose name begins the channel text, or kUnknownChannel.
int32_t LookupChannel(const ChannelTable& table, std::string_view channel_text);

}  // namespace nephrax
