#include "render/text_codes.h"

#include "platform/shift_jis.h"

namespace nephrax {

namespace {

constexpr char32_t kReplacement = U'\uFFFD';

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

struct Decoded {
  char32_t code;
  size_t length;
};

// What the first byte of a multi-byte UTF-8 sequence says: its length, its share of the code
// point, and the smallest code point that needs that length.
struct SequenceStart {
  size_t length = 0;
  char32_t bits = 0;
  char32_t smallest = 0;
};

SequenceStart StartOf(unsigned char lead) {
  if ((lead & 0xE0) == 0xC0) return {2, lead & 0x1Fu, 0x80};
  if ((lead & 0xF0) == 0xE0) return {3, lead & 0x0Fu, 0x800};
  if ((lead & 0xF8) == 0xF0) return {4, lead & 0x07u, 0x10000};
  return {};
}

// The well-formed UTF-8 sequence at `position` (no overlong form, surrogate or value beyond
// U+10FFFF), or the byte there taken as Latin-1.
Decoded DecodeUtf8Character(std::string_view text, size_t position) {
  const auto lead = static_cast<unsigned char>(text[position]);
  const Decoded latin1{lead, 1};
  const SequenceStart start = StartOf(lead);
  if (start.length == 0 || position + start.length > text.size()) return latin1;
  char32_t code = start.bits;
  for (size_t i = 1; i < start.length; ++i) {
    const auto c = static_cast<unsigned char>(text[position + i]);
    if (!IsContinuation(c)) return latin1;
    code = code << 6 | (c & 0x3Fu);
  }
  if (code < start.smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return latin1;
  }
  return {code, start.length};
}

std::u32string DecodeAnsi(std::string_view text) {
  std::u32string decoded;
  for (size_t position = 0; position < text.size();) {
    const Decoded character = DecodeUtf8Character(text, position);
    decoded.push_back(character.code);
    position += character.length;
  }
  return decoded;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = kReplacement;
  const auto byte = [](char32_t value) { return static_cast<char>(static_cast<uint8_t>(value)); };
  if (code < 0x80) {
    out += byte(code);
  } else if (code < 0x800) {
    out += byte(0xC0 | code >> 6);
    out += byte(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += byte(0xE0 | code >> 12);
    out += byte(0x80 | (code >> 6 & 0x3F));
    out += byte(0x80 | (code & 0x3F));
  } else {
    out += byte(0xF0 | code >> 18);
    out += byte(0x80 | (code >> 12 & 0x3F));
    out += byte(0x80 | (code >> 6 & 0x3F));
    out += byte(0x80 | (code & 0x3F));
  }
}

}  // namespace

TextEncoding EncodingOfLanguage(Language language) {
  return language == Language::kJapanese ? TextEncoding::kShiftJis : TextEncoding::kAnsi;
}

std::u32string DecodeText(std::string_view text, TextEncoding encoding) {
  return encoding == TextEncoding::kShiftJis ? DecodeShiftJis(text) : DecodeAnsi(text);
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  for (const char32_t code : text) AppendUtf8(out, code);
  return out;
}

}  // namespace nephrax
