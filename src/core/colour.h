// A colour setting: red, green and blue bytes (the fourth byte of the stored form is always 0).
#pragma once

#include <cstdint>

namespace nephrax {

struct Colour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;

  friend bool operator==(const Colour&, const Colour&) = default;
};

}  // namespace nephrax
