// Builds setup files for tests: sections, "key=value" entries and raw lines, in the order given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "source/channel_table.h"

namespace nephrax::testing {

class SetupFileBuilder {
 public:
  // Starts with the "[NEPHRAX]" header unless told otherwise.
  explicit SetupFileBuilder(bool with_section_header = true);

  SetupFileBuilder& Section(std::string_view name);
  SetupFileBuilder& Entry(std::string_view key, std::string_view value);
  SetupFileBuilder& Line(std::string_view line);

  const std::string& Text() const { return text_; }
  // Writes the text to `path`, replacing any file there.
  void Write(const std::string& path) const;

 private:
  std::string text_;
};

void WriteTextFile(const std::string& path, std::string_view text);
std::string ReadTextFile(const std::string& path);

// The rows of a channel table as (index, name) pairs, which compare and print.
std::vector<std::pair<int32_t, std::string>> TableRows(const ChannelTable& table);

}  // namespace nephrax::testing
