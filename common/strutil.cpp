#include "common/strutil.h"

#include <cctype>
#include <cstring>

char* strEnd(char* text) { return text + std::strlen(text); }

uint32_t roundUp(uint32_t value, uint32_t multiple) {
  if (multiple == 0) return value;
  return (value + multiple - 1) / multiple * multiple;
}

const uint8_t* memFind(const uint8_t* buffer, int32_t length, const uint8_t* pattern,
                       int32_t patternLength) {
  if (!buffer || !pattern || length <= 0 || patternLength <= 0 || patternLength > length)
    return nullptr;
  const uint8_t* last = buffer + (length - patternLength);
  for (const uint8_t* p = buffer; p <= last; ++p) {
    p = static_cast<const uint8_t*>(std::memchr(p, pattern[0], last - p + 1));
    if (!p) return nullptr;
    if (std::memcmp(p, pattern, patternLength) == 0) return p;
  }
  return nullptr;
}

static int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

unsigned hexPairValue(const char* twoChars) {
  unsigned value = 0;
  for (int i = 0; i < 2; ++i) {
    int digit = hexDigit(twoChars[i]);
    if (digit < 0) break;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return value;
}

char* byteToHex(unsigned value, char* out) {
  static const char kDigits[] = "0123456789ABCDEF";
  out[0] = kDigits[(value >> 4) & 0x0F];
  out[1] = kDigits[value & 0x0F];
  out[2] = '\0';
  return out;
}

char* bytesToHex(const uint8_t* data, uint32_t count, char* out) {
  out[0] = '\0';
  for (uint32_t i = 0; i < count; ++i) byteToHex(data[i], out + 2 * i);
  return out;
}

void printableOrDot(char* buffer, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(buffer[i]);
    if (!std::isprint(c) && c != ' ') buffer[i] = '.';
  }
}
