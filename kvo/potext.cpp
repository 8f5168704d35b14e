#include "kvo/potext.h"

#include "kvo/utf8.h"

namespace {

constexpr std::string_view kTagOpen = "<$";
constexpr char kTagClose = '>';
constexpr size_t kTagLength = 5;  // "<$XX>"
constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendTag(std::string& out, unsigned char byte) {
  out += kTagOpen;
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
  out += kTagClose;
}

bool opensTag(std::string_view text, size_t pos) {
  return text.compare(pos, kTagOpen.size(), kTagOpen) == 0;
}

int upperHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte a well-formed tag at `pos` stands for, or -1.
int tagValue(std::string_view text, size_t pos) {
  if (text.size() - pos < kTagLength || text[pos + 4] != kTagClose) return -1;
  int high = upperHexValue(text[pos + 2]);
  int low = upperHexValue(text[pos + 3]);
  if (high < 0 || low < 0) return -1;
  return high * 16 + low;
}

}  // namespace

std::string toPoText(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  size_t pos = 0;
  while (pos < raw.size()) {
    size_t length = utf8SequenceLength(raw, pos);
    if (length == 0 || raw[pos] == '\0' || opensTag(raw, pos)) {
      appendTag(out, static_cast<unsigned char>(raw[pos]));
      ++pos;
    } else {
      out.append(raw, pos, length);
      pos += length;
    }
  }
  return out;
}

PoTextBytes fromPoText(std::string_view text, std::vector<size_t>* origin) {
  PoTextBytes result;
  size_t pos = 0;
  while (pos < text.size()) {
    if (origin) origin->push_back(pos);
    if (!opensTag(text, pos)) {
      result.bytes += text[pos++];
      continue;
    }
    int value = tagValue(text, pos);
    if (value < 0) {
      result.bytes.clear();
      result.error = "malformed byte tag: write <$XX> with two upper-case hexadecimal digits";
      result.column = utf8CharacterCount(text.substr(0, pos)) + 1;
      return result;
    }
    result.bytes += static_cast<char>(value);
    pos += kTagLength;
  }
  return result;
}
