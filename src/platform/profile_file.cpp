#include "platform/profile_file.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/atomic_file.h"

namespace nephrax {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The name of a "[name]" header line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (!line.starts_with('[')) return std::nullopt;
  line.remove_prefix(1);
  return TrimBlanks(line.substr(0, line.find(']')));
}

std::string_view RemoveEnclosingQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

ProfileFile::ProfileFile(std::string section) : section_(std::move(section)) {}

ProfileFile ProfileFile::Parse(std::string_view text, std::string section) {
  ProfileFile profile(std::move(section));
  bool in_section = false;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));

    if (const std::optional<std::string_view> name = SectionName(line)) {
      in_section = EqualsIgnoringCase(*name, profile.section_);
      continue;
    }
    const size_t equals = line.find('=');
    if (!in_section || equals == std::string_view::npos) continue;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    if (key.empty()) continue;
    profile.entries_.push_back(
        {std::string(key), std::string(TrimBlanks(line.substr(equals + 1)))});
  }
  return profile;
}

std::optional<ProfileFile> ProfileFile::Load(const std::string& path, std::string section) {
  const std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"),
                                                                &std::fclose);
  if (!file) return std::nullopt;
  std::string text;
  std::string chunk(4096, '\0');
  size_t count = 0;
  while ((count = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0) {
    text.append(chunk, 0, count);
  }
  // A directory opens but cannot be read: a read error must not pass for an empty file.
  if (std::ferror(file.get()) != 0) return std::nullopt;
  return Parse(text, std::move(section));
}

size_t ProfileFile::IndexOf(std::string_view key) const {
  const auto entry = std::ranges::find_if(
      entries_, [&](const Entry& e) { return EqualsIgnoringCase(e.key, key); });
  return static_cast<size_t>(entry - entries_.begin());
}

std::optional<std::string> ProfileFile::GetString(std::string_view key, size_t size) const {
  const size_t index = IndexOf(key);
  if (index == entries_.size()) return std::nullopt;
  const std::string_view value = RemoveEnclosingQuotes(entries_[index].value);
  return std::string(value.substr(0, size > 0 ? size - 1 : 0));
}

void ProfileFile::SetString(std::string_view key, std::string_view value) {
  const size_t index = IndexOf(key);
  if (index == entries_.size()) {
    entries_.push_back({std::string(key), std::string(value)});
  } else {
    entries_[index].value = value;
  }
}

std::string ProfileFile::Text() const {
  std::string text = "[" + section_ + "]\n";
  for (const Entry& entry : entries_) text += entry.key + "=" + entry.value + "\n";
  return text;
}

bool ProfileFile::Save(const std::string& path) const {
  AtomicFile file(path);
  const std::string text = Text();
  return file.IsOpen() && file.Write(text.data(), text.size()) && file.Commit();
}

}  // namespace nephrax
