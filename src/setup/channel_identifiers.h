// The identifiers of a channel: the names in the channel table that a source file's channel text
// is matched against. A channel has one identifier, or two separated by a comma.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "source/channel_table.h"

namespace nephrax {

// Renames the rows of `channel`: the first row takes the first identifier of `identifiers`, every
// further row the second, or the first when there is only one. Returns the number of identifiers
// (1 or 2); an empty second identifier does not count.
int SetChannelIdentifiers(ChannelTable& table, int32_t channel, std::string_view identifiers);

// The identifiers of `channel` as SetChannelIdentifiers reads them: the first row's name, then a
// comma and the second row's name when the channel has a second row.
std::string ChannelIdentifierText(const ChannelTable& table, int32_t channel);

}  // namespace nephrax
