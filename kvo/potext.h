// Game text as the character table gives it (bytes, not always UTF-8) and
// the text of a translation file (always UTF-8), one into the other without
// loss.
//
// A byte that a translation file cannot carry is written as a tag "<$XX>",
// XX its value in two upper-case hexadecimal digits: every byte that is not
// part of a well-formed UTF-8 sequence, and the zero byte (a PO string ends
// at it in every tool). A '<' directly followed by '$' is itself written as
// the tag "<$3C>", so that "<$" in a text always opens a tag. Every other
// character passes unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct PoTextBytes {
  std::string bytes;
  // When the text holds a malformed tag: a message and the 1-based column
  // (in characters) of the tag's '<' within the text; else empty and 0.
  std::string error;
  size_t column = 0;
  bool ok() const { return error.empty(); }
};

std::string toPoText(std::string_view raw);
// The bytes a translation file's text stands for; `text` is valid UTF-8.
// With `origin`, each byte's offset in `text` is appended to it.
PoTextBytes fromPoText(std::string_view text, std::vector<size_t>* origin = nullptr);
