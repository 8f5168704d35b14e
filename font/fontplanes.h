// The font file keeps two 4-bit pixels per byte (high and low nibble). The
// two plane files split each nibble in two: plane A keeps its low 2 bits,
// plane B its high 2 bits, each in bits 5-4 (high nibble) and 1-0 (low nibble).
#pragma once

#include <cstdint>

inline uint8_t fontPlaneA(uint8_t x) {
  return static_cast<uint8_t>((((x >> 4) & 3) << 4) | (x & 3));
}
inline uint8_t fontPlaneB(uint8_t x) {
  return static_cast<uint8_t>((((x >> 6) & 3) << 4) | ((x >> 2) & 3));
}
// Edited planes with stray bits are joined as the sum comes out, carries and all.
inline uint8_t fontJoin(uint8_t a, uint8_t b) { return static_cast<uint8_t>(a + 4 * b); }
