#include "support/setup_file_builder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace nephrax::testing {

SetupFileBuilder::SetupFileBuilder(bool with_section_header) {
  if (with_section_header) Section("NEPHRAX");
}

SetupFileBuilder& SetupFileBuilder::Section(std::string_view name) {
  return Line("[" + std::string(name) + "]");
}

SetupFileBuilder& SetupFileBuilder::Entry(std::string_view key, std::string_view value) {
  return Line(std::string(key) + "=" + std::string(value));
}

SetupFileBuilder& SetupFileBuilder::Line(std::string_view line) {
  text_ += line;
  text_ += '\n';
  return *this;
}

void SetupFileBuilder::Write(const std::string& path) const {
  WriteTextFile(path, text_);
}

void WriteTextFile(const std::string& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::pair<int32_t, std::string>> TableRows(const ChannelTable& table) {
  std::vector<std::pair<int32_t, std::string>> rows;
  for (const ChannelRow& row : table) rows.emplace_back(row.index, row.name);
  return rows;
}

}  // namespace nephrax::testing
