// Reads every byte of a range, so that the sanitizer sees any read past the
// end of a buffer that the code under test would read.
#pragma once

#include <cstdint>

inline void fuzzTouch(const uint8_t* p, uint64_t length) {
  static volatile uint32_t sink;
  uint32_t sum = 0;
  for (uint64_t i = 0; i < length; ++i) sum += p[i];
  sink = sum;
}
