// Explicit-endian reads of integers and reals from byte spans. Callers check the span is long
// enough; the reads themselves assert nothing and never go past offset + width.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace nephrax {

inline uint32_t ReadU32Le(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

inline int32_t ReadI32Le(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int32_t>(ReadU32Le(bytes, offset));
}

inline float ReadF32Le(std::span<const uint8_t> bytes, size_t offset) {
  return std::bit_cast<float>(ReadU32Le(bytes, offset));
}

inline uint16_t ReadU16Le(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline uint32_t ReadU32Be(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) << 24 | static_cast<uint32_t>(bytes[offset + 1]) << 16 |
         static_cast<uint32_t>(bytes[offset + 2]) << 8 | static_cast<uint32_t>(bytes[offset + 3]);
}

inline uint16_t ReadU16Be(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

inline void WriteU32Le(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

inline void WriteI32Le(std::span<uint8_t> bytes, size_t offset, int32_t value) {
  WriteU32Le(bytes, offset, static_cast<uint32_t>(value));
}

inline void WriteF32Le(std::span<uint8_t> bytes, size_t offset, float value) {
  WriteU32Le(bytes, offset, std::bit_cast<uint32_t>(value));
}

}  // namespace nephrax
