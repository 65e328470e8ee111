// The setup file: a profile file whose section "NEPHRAX" overrides the built-in settings. A file
// that does not exist is created with every setting; an existing file is only ever read.
#pragma once

#include <string>

#include "core/settings.h"
#include "source/channel_table.h"

namespace nephrax {

// Reads every key of the file at `path` into `settings` and the channel identifiers into `table`;
// a key the file lacks keeps its current value. When nothing exists at `path`, creates the file
// from the current values instead (WriteSetupFile) and changes nothing. An existing file that
// cannot be read changes nothing either. `language` selects the face name `Font` sets.
void ReadSetupFile(const std::string& path, Language language, Settings& settings,
                   ChannelTable& table);

// Writes a complete setup file of the current values to `path`, replacing it atomically: the key
// table, the further keys, the channel keys, and the non-empty colour-point lists when they were
// loaded. False when the file could not be written.
bool WriteSetupFile(const std::string& path, Language language, const Settings& settings,
                    const ChannelTable& table);

}  // namespace nephrax
