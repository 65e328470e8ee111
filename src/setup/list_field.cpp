#include "setup/list_field.h"

#include "platform/shift_jis.h"

namespace nephrax {

namespace {

bool IsBlank(unsigned char c) {
  return c == ' ' || (c >= 1 && c <= 9);
}
bool IsControl(unsigned char c) {
  return c < 0x20;
}

unsigned char ByteAt(std::string_view text, size_t position) {
  return static_cast<unsigned char>(text[position]);
}

size_t SkipBlanks(std::string_view text, size_t position) {
  while (position < text.size() && IsBlank(ByteAt(text, position))) ++position;
  return position;
}

// Fields are read a whole character at a time: a Shift-JIS lead byte is taken with the byte after
// it when that byte can trail it. The separators and blanks lie below 0x40, which no trail byte
// does, so a UTF-8 byte that happens to look like a lead byte never swallows them.

// The position just past the next separator, or the end of the text.
size_t PassSeparator(std::string_view text, size_t position, char separator) {
  while (position < text.size()) {
    const size_t length = ShiftJisCharacterLength(text, position);
    position += length;
    if (length == 1 && text[position - 1] == separator) break;
  }
  return position;
}

// Copies whole characters up to the separator or a control byte, in at most `limit` - 1 bytes.
void CopyField(std::string_view text, char separator, size_t limit, std::string& field) {
  size_t position = 0;
  while (position < text.size() && !IsControl(ByteAt(text, position))) {
    const size_t length = ShiftJisCharacterLength(text, position);
    if (length == 1 && text[position] == separator) break;
    if (field.size() + length >= limit) break;
    field.append(text.substr(position, length));
    position += length;
  }
}

}  // namespace

int GetListField(std::string_view text, int n, char separator, size_t limit, std::string& field) {
  field.clear();
  if (n < 1) return 0;
  text = text.substr(0, text.find('\0'));
  size_t position = 0;
  for (int passed = 0; passed < n - 1; ++passed) {
    position = SkipBlanks(text, position);
    if (position == text.size()) return passed;
    position = PassSeparator(text, position, separator);
  }
  position = SkipBlanks(text, position);
  if (position == text.size()) return n - 1;
  CopyField(text.substr(position), separator, limit, field);
  TrimTrailingBlanks(field);
  return n;
}

void TrimTrailingBlanks(std::string& text) {
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.back()))) text.pop_back();
}

}  // namespace nephrax
