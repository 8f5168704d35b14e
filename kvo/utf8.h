// UTF-8 checks shared by the translation file reader and the text tags.
#pragma once

#include <cstddef>
#include <string_view>

// Length (1 to 4) of the well-formed UTF-8 sequence that starts at `pos`, or 0
// when the bytes there are not one (stray continuation byte, overlong form,
// surrogate, value above U+10FFFF, cut-off sequence).
size_t utf8SequenceLength(std::string_view text, size_t pos);
// Offset of the first byte that is not part of a well-formed sequence, or
// text.size() when the whole text is UTF-8.
size_t utf8InvalidOffset(std::string_view text);
// Number of characters (code points) in a text that is valid UTF-8.
size_t utf8CharacterCount(std::string_view text);
