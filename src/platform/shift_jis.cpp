#include "platform/shift_jis.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace nephrax {

namespace {

constexpr char32_t kReplacement = U'\uFFFD';

bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

struct IconvCloser {
  void operator()(void* descriptor) const { iconv_close(static_cast<iconv_t>(descriptor)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

// Code page 932 to little-endian UTF-32; none when the C library lacks the table.
Converter OpenConverter() {
  const iconv_t descriptor = iconv_open("UTF-32LE", "CP932");
  if (descriptor == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return Converter(descriptor);
}

// The code point of one character of one or two bytes.
char32_t DecodeCharacter(const Converter& converter, std::string_view character) {
  const auto first = static_cast<unsigned char>(character[0]);
  if (first < 0x80) return first;
  if (!converter) return kReplacement;
  std::array<char, 2> in{};
  character.copy(in.data(), character.size());
  std::array<unsigned char, 8> out{};
  char* in_next = in.data();
  size_t in_left = character.size();
  char* out_next = reinterpret_cast<char*>(out.data());
  size_t out_left = out.size();
  iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  if (iconv(converter.get(), &in_next, &in_left, &out_next, &out_left) == static_cast<size_t>(-1) ||
      out_left != out.size() - 4) {
    return kReplacement;
  }
  return char32_t{out[0]} | char32_t{out[1]} << 8 | char32_t{out[2]} << 16 | char32_t{out[3]} << 24;
}

}  // namespace

size_t ShiftJisCharacterLength(std::string_view text, size_t position) {
  const bool pair = position + 1 < text.size() &&
                    IsLeadByte(static_cast<unsigned char>(text[position])) &&
                    IsTrailByte(static_cast<unsigned char>(text[position + 1]));
  return pair ? 2 : 1;
}

std::u32string DecodeShiftJis(std::string_view text) {
  const Converter converter = OpenConverter();
  std::u32string decoded;
  for (size_t position = 0; position < text.size();) {
    const size_t length = ShiftJisCharacterLength(text, position);
    decoded.push_back(DecodeCharacter(converter, text.substr(position, length)));
    position += length;
  }
  return decoded;
}

}  // namespace nephrax
