// How the bytes of the program's texts become characters for glyph lookup, and back to UTF-8 for
// the names fontconfig takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace nephrax {

// The character set a font is created with, which decides how the bytes of a text are read.
enum class TextEncoding : uint8_t {
  kAnsi,      // character set 0: UTF-8; a byte that is not part of UTF-8 is taken as Latin-1
  kShiftJis,  // character set 128: Shift-JIS (code page 932)
};

// Japanese mode reads texts as Shift-JIS, English mode as ANSI.
TextEncoding EncodingOfLanguage(Language language);

// The code points of `text` read in `encoding`.
std::u32string DecodeText(std::string_view text, TextEncoding encoding);

// UTF-8 of the code points; a value that is no Unicode scalar becomes U+FFFD.
std::string EncodeUtf8(std::u32string_view text);

}  // namespace nephrax
