// Any bytes given to the BMP loader: refused with a message or turned into a
// raw picture, never a read or write outside the buffers.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  FILE* quiet = std::fopen("/dev/null", "w");
  uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(copy, data, size);
  BmpImage probe;
  probe.buffer = copy;
  probe.size = static_cast<uint32_t>(size);
  probe.stream = quiet;
  int refused = bmpCheckBuffer(&probe);
  std::fclose(quiet);
  if (refused) {
    std::free(copy);
    return 0;
  }
  // Run-length encoded pixels are decoded into a buffer of the declared
  // picture's size, which a few bytes can put far beyond the memory limit.
  const uint8_t* ih = copy + kBmpFileHeaderSize;
  const bool rle = bmpf::isRle(ih);
  const uint64_t decoded =
      bmpf::mulSat(bmpf::stride64(bmpf::absolute(bmpf::width(ih)), bmpf::bitCount(ih)),
                   bmpf::absolute(bmpf::height(ih)));
  if (rle && decoded > (4u << 20)) {
    std::free(copy);
    return 0;
  }
  BmpImage* image = bmpFromBuffer(copy, static_cast<uint32_t>(size), "fuzz.bmp");
  if (!image && !rle) std::abort();  // the same checks passed a moment ago
  if (!image) return 0;              // broken encoded data, refused with a message
  const uint32_t bpp = bmpBpp(image);
  const bool convertible = bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32;
  if (bmpPaletteBytes(image) > 1024) std::abort();
  if (convertible) std::free(bmpExtractRawAuto(image));
  uint8_t palette[1024];
  uint8_t* palettePtr = palette;
  uint32_t w, h, b;
  uint8_t* raw = bmpRawFromImage(image, &w, &h, &b, &palettePtr, convertible);
  volatile uint8_t sink = 0;
  uint32_t rawSize = bmpRawSizeFor(w, h, b);
  for (uint32_t i = 0; i < rawSize; i += 97) sink = sink + raw[i];
  std::free(raw);
  return 0;
}
