#include "core/control_block.h"

#include <algorithm>

namespace nephrax {

std::string ControlBlock::Text(size_t offset, size_t length) const {
  const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
  const auto end = begin + static_cast<std::ptrdiff_t>(length);
  return std::string(begin, std::find(begin, end, uint8_t{0}));
}

TimeRecord ControlBlock::Time(size_t offset) const {
  return TimeRecord{Int(offset),      Int(offset + 4),  Int(offset + 8), Int(offset + 12),
                    Int(offset + 16), Int(offset + 20), Int(offset + 24)};
}

}  // namespace nephrax
