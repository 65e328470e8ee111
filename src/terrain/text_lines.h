// The text files of elevation data sets (tile descriptions, tile headers), read as the data sets'
// tools wrote them: lines of at most 79 characters, a longer line being read in pieces of 79 that
// each count as a line; blank-separated words; numbers taken from the front of a word.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/lz_file.h"

namespace nephrax {

inline constexpr size_t kTextLineLimit = 79;

// Reads a file line by line.
class TextLineReader {
 public:
  explicit TextLineReader(const LzFile& file) : file_(file) {}

  // The next line without its end ("\n" or "\r\n"); nothing at the end of the file.
  std::optional<std::string> Next();
  // The next line that does not begin with "#".
  std::optional<std::string> NextContent();

 private:
  const LzFile& file_;
  uint64_t offset_ = 0;
};

// Takes items from the front of a line, as scanf's "%s", "%d" and "%lf" do: blanks before an item
// are skipped, and a number ends where its digits end.
class LineScanner {
 public:
  explicit LineScanner(std::string_view line) : rest_(line) {}

  std::optional<std::string_view> Word();
  // Nothing also when the number does not fit an int32.
  std::optional<int32_t> Int();
  // Nothing also for infinities and NaN.
  std::optional<double> Real();

 private:
  void SkipBlanks();
  std::string_view rest_;
};

}  // namespace nephrax
