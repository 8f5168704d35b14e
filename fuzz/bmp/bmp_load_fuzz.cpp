// Any bytes given to the BMP reader: refused with a message or turned into a
// raw picture, never a read or write outside the buffers.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  // An exact-size buffer so that the sanitizer catches any read past the end.
  std::vector<uint8_t> copy(data, data + size);
  const Messages quiet;
  if (bmpCheckBuffer(copy.data(), static_cast<uint32_t>(size), "fuzz.bmp", quiet).failed) return 0;
  // Run-length encoded pixels are decoded into a buffer of the declared
  // picture's size, which a few bytes can put far beyond the memory limit.
  const uint8_t* ih = copy.data() + kBmpFileHeaderSize;
  const bool rle = bmpf::isRle(ih);
  const uint64_t decoded =
      bmpf::mulSat(bmpf::stride64(bmpf::absolute(bmpf::width(ih)), bmpf::bitCount(ih)),
                   bmpf::absolute(bmpf::height(ih)));
  if (rle && decoded > (4u << 20)) return 0;
  Result<BmpImage> image = bmpRead(std::move(copy), "fuzz.bmp", quiet);
  if (!image.ok() && !rle) std::abort();  // the same checks passed a moment ago
  if (!image.ok()) return 0;              // broken encoded data, refused with a message
  const uint32_t bpp = bmpBpp(image.value);
  const bool convertible = bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32;
  if (bmpPaletteBytes(image.value) > 1024) std::abort();
  if (bmpExtractRaw(image.value).ok() != convertible) std::abort();
  Result<BmpRaw> raw = bmpRawFromImage(std::move(image.value), convertible);
  if (!raw.ok()) std::abort();
  volatile uint8_t sink = 0;
  const std::vector<uint8_t>& pixels = raw.value.pixels;
  if (pixels.size() != bmpRawSizeFor(raw.value.width, raw.value.height, raw.value.bpp))
    std::abort();
  for (size_t i = 0; i < pixels.size(); i += 97) sink = sink + pixels[i];
  return 0;
}
