// Any bytes read as a ".gwh" picture: refused, or exported to a BMP in
// memory that reads back to the same pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "graphics/gwh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  GwhFile gwh;
  gwh.data = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(gwh.data, data, size);
  gwh.size = static_cast<uint32_t>(size);
  gwh.name = "fuzz.gwh";
  if (gwhCheck(&gwh) != 0) {
    std::free(gwh.data);
    return 0;
  }
  if (static_cast<uint64_t>(gwh.width) * gwh.height > size) std::abort();
  paletteSwizzle(gwh.palette, kGwhPaletteEntries);
  paletteBlackToOddMagentas(gwh.palette, kGwhPaletteEntries);
  paletteMakeDistinct(gwh.palette, kGwhPaletteEntries);
  paletteSwapRB(gwh.palette, kGwhPaletteEntries);
  if (gwh.width <= 0x7FFFFFFF && gwh.height <= 0x7FFFFFFF) {
    BmpImage* bmp = bmpCreateFromRaw(static_cast<int32_t>(gwh.width),
                                     static_cast<int32_t>(gwh.height), 8, gwh.pixels,
                                     gwh.palette, true);
    uint8_t* file = bmpDetach(bmp);
    BmpImage* back = bmpFromBuffer(file, static_cast<uint32_t>(file[2] | file[3] << 8 | file[4] << 16 | uint32_t(file[5]) << 24), "fuzz.bmp");
    if (!back) std::abort();
    uint8_t* raw = bmpExtractRawAuto(back);
    if (gwh.pixelCount && std::memcmp(raw, gwh.pixels, gwh.pixelCount) != 0) std::abort();
    std::free(raw);
    bmpFree(back);
  }
  std::free(gwh.data);
  return 0;
}
