// Header field access for the BMP library's own files.
#pragma once

#include <cstdint>

#include "bmp/bmp.h"
#include "common/le.h"

// Largest buffer the library allocates.
constexpr uint64_t kBmpMaxBuffer = 0x7FFFFFFF;

namespace bmpf {
// File header (14 bytes).
inline uint32_t type(const uint8_t* fh) { return rd16(fh); }
inline uint32_t fileSize(const uint8_t* fh) { return rd32(fh + 2); }
inline uint32_t offBits(const uint8_t* fh) { return rd32(fh + 10); }
// Info header (at least 40 bytes).
inline uint32_t infoSize(const uint8_t* ih) { return rd32(ih); }
inline int32_t width(const uint8_t* ih) { return static_cast<int32_t>(rd32(ih + 4)); }
inline int32_t height(const uint8_t* ih) { return static_cast<int32_t>(rd32(ih + 8)); }
inline uint32_t bitCount(const uint8_t* ih) { return rd16(ih + 14); }
inline uint32_t compression(const uint8_t* ih) { return rd32(ih + 16); }
inline uint32_t sizeImage(const uint8_t* ih) { return rd32(ih + 20); }
inline uint32_t clrUsed(const uint8_t* ih) { return rd32(ih + 32); }

// biCompression values the library reads: none, and run-length encoding of
// 8-bit and of 4-bit pixels.
enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2 };
inline bool isRle(const uint8_t* ih) {
  return (compression(ih) == kRle8 && bitCount(ih) == 8) ||
         (compression(ih) == kRle4 && bitCount(ih) == 4);
}
inline bool isReadable(const uint8_t* ih) { return compression(ih) == kRgb || isRle(ih); }

// |v| without overflow for the most negative value.
inline uint32_t absolute(int32_t v) {
  return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
}

// 64-bit geometry so that huge headers cannot wrap into small sizes.
inline uint64_t rowBytes64(uint64_t width, uint64_t bpp) { return (width * bpp + 7) >> 3; }
inline uint64_t stride64(uint64_t width, uint64_t bpp) {
  return (rowBytes64(width, bpp) + 3) & ~static_cast<uint64_t>(3);
}
// a * b, or UINT64_MAX when that does not fit.
inline uint64_t mulSat(uint64_t a, uint64_t b) {
  if (a != 0 && b > UINT64_MAX / a) return UINT64_MAX;
  return a * b;
}

// Palette entries a loaded file holds: biClrUsed when set, else 2^bpp; never
// more than 256 (a larger biClrUsed is cut so no caller's 1024-byte palette
// buffer can be overrun); 0 for depths without a palette.
inline uint32_t fileEntries(const uint8_t* ih) {
  uint32_t bpp = bitCount(ih);
  if (bpp > 8) return 0;
  uint32_t used = clrUsed(ih);
  if (used == 0) return 1u << bpp;
  return used > kBmpMaxPaletteEntries ? kBmpMaxPaletteEntries : used;
}
}  // namespace bmpf

// Makes `buffer` `size` zero bytes; sizes above kBmpMaxBuffer and memory
// that runs out fail with "ERROR: cannot allocate N bytes for BMP".
Status bmpAllocate(std::vector<uint8_t>& buffer, uint64_t size);

// Replaces the bytes of a checked run-length encoded image by the same
// picture uncompressed; fails when the encoded data breaks off or puts pixels
// past the end of a row (padding included).
Status bmpDecodeRle(BmpImage& image);
