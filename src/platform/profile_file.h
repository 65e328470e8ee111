// A profile file: a text of "[section]" headers and "key=value" lines. One section is kept; its
// keys are looked up without regard to case and the first occurrence of a key counts. Writing
// builds the whole file, the kept section alone, and replaces the file atomically.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nephrax {

// Compares two texts with the ASCII letters folded to one case, as profile names are compared.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

class ProfileFile {
 public:
  // An empty profile of `section`, as a file that does not exist reads.
  explicit ProfileFile(std::string section);

  // The entries of every "[section]" header of the text (names compared without case).
  static ProfileFile Parse(std::string_view text, std::string section);
  // Reads and parses the file at `path`; nullopt when it cannot be read.
  static std::optional<ProfileFile> Load(const std::string& path, std::string section);

  // The value of `key` with the blanks around it removed and one pair of enclosing double quotes
  // taken off, cut to at most `size` - 1 characters; nullopt when the key is missing.
  std::optional<std::string> GetString(std::string_view key, size_t size) const;
  // Replaces the value of the first occurrence of `key`, or appends the key.
  void SetString(std::string_view key, std::string_view value);

  // The file text: the section header, then one "key=value" line per entry.
  std::string Text() const;
  // Writes Text() to `path` atomically; false when the file could not be written.
  bool Save(const std::string& path) const;

 private:
  struct Entry {
    std::string key;
    std::string value;  // blanks around it removed, quotes kept
  };

  // Index of the first entry named `key`, or entries_.size() when there is none.
  size_t IndexOf(std::string_view key) const;

  std::string section_;
  std::vector<Entry> entries_;
};

}  // namespace nephrax
