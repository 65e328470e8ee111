// Numbers at the start of a text, read the way formatted input reads "%d" and "%f": blanks
// before the number are passed over and whatever follows it is left alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace nephrax {

template <typename T>
struct LeadingNumber {
  T value;
  size_t length;  // characters taken, the blanks before the number included
};

// An optional sign and decimal digits; a value beyond the int32 range is held at its limit.
std::optional<LeadingNumber<int32_t>> ReadLeadingInt(std::string_view text);

// A decimal number with optional sign, point and exponent. Texts such as "inf", "nan" or a
// number too large for a float are not read.
std::optional<LeadingNumber<float>> ReadLeadingReal(std::string_view text);

}  // namespace nephrax
