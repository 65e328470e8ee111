// Fields of a separated list, as the setup file's lists and the track files hold them. Texts may be
// Shift-JIS: a lead byte and its trail byte are taken as one character, which is never a
// separator; UTF-8 text passes through unharmed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nephrax {

// Copies field `n` (counted from 1) of `text` into `field` and returns n; when the text ends
// before field n begins, returns the number of fields found (less than n) and leaves `field`
// empty. Blanks (space and bytes 1..9) around a field are dropped, the field ends at the separator
// or at a control byte, and it holds at most `limit` - 1 bytes. An empty field (two separators in
// a row) returns n with an empty text. The text ends at its first NUL byte.
int GetListField(std::string_view text, int n, char separator, size_t limit, std::string& field);

// Removes the blanks (space and bytes 1..9) at the end of `text`.
void TrimTrailingBlanks(std::string& text);

}  // namespace nephrax
