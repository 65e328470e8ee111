#include "terrain/text_lines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <span>

namespace nephrax {

namespace {

// Length of the line end ("\n" or "\r\n") at `at`, 0 when there is none.
size_t LineEndLength(std::span<const uint8_t> bytes, size_t at) {
  if (at < bytes.size() && bytes[at] == '\n') return 1;
  if (at + 1 < bytes.size() && bytes[at] == '\r' && bytes[at + 1] == '\n') return 2;
  return 0;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Parses a number at the front of `rest` (after one optional "+", which from_chars does not take)
// and moves `rest` past it.
template <typename Number>
std::optional<Number> TakeNumber(std::string_view& rest) {
  std::string_view text = rest;
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return std::nullopt;
  }
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{}) return std::nullopt;
  rest.remove_prefix(static_cast<size_t>(end - rest.data()));
  return value;
}

}  // namespace

std::optional<std::string> TextLineReader::Next() {
  // A whole line of the limit and its end.
  std::array<uint8_t, kTextLineLimit + 2> buffer{};
  const std::span<const uint8_t> bytes(buffer.data(), file_.ReadAt(offset_, buffer));
  if (bytes.empty()) return std::nullopt;
  std::string line;
  size_t at = 0;
  while (at < bytes.size() && line.size() < kTextLineLimit && LineEndLength(bytes, at) == 0) {
    line.push_back(static_cast<char>(bytes[at++]));
  }
  at += LineEndLength(bytes, at);
  offset_ += at;
  return line;
}

std::optional<std::string> TextLineReader::NextContent() {
  std::optional<std::string> line = Next();
  while (line && line->starts_with('#')) line = Next();
  return line;
}

void LineScanner::SkipBlanks() {
  while (!rest_.empty() && IsBlank(rest_.front())) rest_.remove_prefix(1);
}

std::optional<std::string_view> LineScanner::Word() {
  SkipBlanks();
  if (rest_.empty()) return std::nullopt;
  const size_t length =
      static_cast<size_t>(std::find_if(rest_.begin(), rest_.end(), IsBlank) - rest_.begin());
  const std::string_view word = rest_.substr(0, length);
  rest_.remove_prefix(length);
  return word;
}

std::optional<int32_t> LineScanner::Int() {
  SkipBlanks();
  return TakeNumber<int32_t>(rest_);
}

std::optional<double> LineScanner::Real() {
  SkipBlanks();
  const std::optional<double> value = TakeNumber<double>(rest_);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

}  // namespace nephrax
