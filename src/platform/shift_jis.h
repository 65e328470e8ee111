// Shift-JIS text (code page 932), the text of Japanese systems: the program's Japanese face name
// and any Japanese text drawn on a picture.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nephrax {

// Bytes in the character that starts at `position`: 2 for a lead byte (0x81..0x9F, 0xE0..0xFC)
// followed by a byte that can trail it, else 1.
size_t ShiftJisCharacterLength(std::string_view text, size_t position);

// The characters of Shift-JIS `text` as Unicode code points. ASCII stays ASCII (0x5C is the
// backslash, as code page 932 has it), 0xA1..0xDF are the half-width katakana, and a character
// the code page does not define becomes U+FFFD.
std::u32string DecodeShiftJis(std::string_view text);

}  // namespace nephrax
