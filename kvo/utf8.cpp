#include "kvo/utf8.h"

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

size_t utf8SequenceLength(std::string_view text, size_t pos) {
  unsigned char lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return 1;
  size_t length;
  // The second byte's range rules out overlong forms, surrogates and values
  // above U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  unsigned char second = static_cast<unsigned char>(text[pos + 1]);
  if (second < low || second > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!isContinuation(static_cast<unsigned char>(text[pos + i]))) return 0;
  }
  return length;
}

size_t utf8InvalidOffset(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t length = utf8SequenceLength(text, pos);
    if (length == 0) return pos;
    pos += length;
  }
  return pos;
}

size_t utf8CharacterCount(std::string_view text) {
  size_t count = 0;
  for (char c : text) {
    if (!isContinuation(static_cast<unsigned char>(c))) ++count;
  }
  return count;
}
