// Small string, memory and hexadecimal helpers.
#pragma once

#include <cstdint>

char* strEnd(char* text);
uint32_t roundUp(uint32_t value, uint32_t multiple);
const uint8_t* memFind(const uint8_t* buffer, int32_t length, const uint8_t* pattern,
                       int32_t patternLength);
unsigned hexPairValue(const char* twoChars);
char* byteToHex(unsigned value, char* out);
char* bytesToHex(const uint8_t* data, uint32_t count, char* out);
void printableOrDot(char* buffer, uint32_t length);
// A to Z become a to z; options are recognised in either case.
inline char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
