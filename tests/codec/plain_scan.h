// The compressor written the plain way: at every position a backward scan
// over each distance, nearest first, with a 3-byte pre-check. It is slow and
// kept as the reference the program's fast search must agree with.
#pragma once

#include <cstdint>

// Same contract as cxEncode: `in` has 4096 zero bytes in front of it.
uint32_t plainEncode(const uint8_t* in, uint32_t inLen, uint8_t* out, uint32_t outCap, int type,
                     uint32_t target);
