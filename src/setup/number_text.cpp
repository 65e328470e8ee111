#include "setup/number_text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace nephrax {

namespace {

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

struct Sign {
  bool negative = false;
  size_t end = 0;  // where the digits begin
};

// Passes over the blanks and an optional sign at the start of `text`.
Sign ReadSign(std::string_view text) {
  size_t position = 0;
  while (position < text.size() && IsSpace(text[position])) ++position;
  Sign sign;
  if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
    sign.negative = text[position] == '-';
    ++position;
  }
  sign.end = position;
  return sign;
}

}  // namespace

std::optional<LeadingNumber<int32_t>> ReadLeadingInt(std::string_view text) {
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  const Sign sign = ReadSign(text);
  size_t position = sign.end;
  int64_t magnitude = 0;
  while (position < text.size() && IsDigit(text[position])) {
    magnitude = std::min(magnitude * 10 + (text[position] - '0'), kLimit);
    ++position;
  }
  if (position == sign.end) return std::nullopt;
  const int64_t value =
      std::clamp<int64_t>(sign.negative ? -magnitude : magnitude,
                          std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  return LeadingNumber<int32_t>{static_cast<int32_t>(value), position};
}

std::optional<LeadingNumber<float>> ReadLeadingReal(std::string_view text) {
  const Sign sign = ReadSign(text);
  const std::string_view number = text.substr(sign.end);
  if (number.empty() || !(IsDigit(number.front()) || number.front() == '.')) return std::nullopt;
  float value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc{}) return std::nullopt;
  const size_t length = sign.end + static_cast<size_t>(end - number.data());
  return LeadingNumber<float>{sign.negative ? -value : value, length};
}

}  // namespace nephrax
