// Any bytes read as a ".gwh" picture: refused, or exported to a BMP in
// memory that reads back to the same pixels and makes the same picture again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/gwh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  const Messages quiet;
  Result<GwhFile> gwh = gwhRead(std::vector<uint8_t>(data, data + size), "fuzz.gwh", quiet);
  if (!gwh.ok()) return 0;
  if (static_cast<uint64_t>(gwh.value.width) * gwh.value.height > size) std::abort();
  if (gwh.value.width > 0x7FFFFFFF || gwh.value.height > 0x7FFFFFFF) return 0;
  GwhFile original = gwh.value;
  Result<std::vector<uint8_t>> bmp =
      gwhToBmp(std::move(gwh.value), GwhColours(), "fuzz.bmp", quiet);
  if (!bmp.ok()) return 0;  // a picture too large for one BMP
  if (!gwhImportBmp(original, bmp.value, "fuzz.bmp", false, quiet).ok()) std::abort();
  Result<std::vector<uint8_t>> again = gwhFromBmp(bmp.value, "fuzz.bmp", GwhColours(), quiet);
  if (!again.ok() || again.value.size() != kGwhPixelsOffset + original.pixelCount) std::abort();
  if (original.pixelCount &&
      std::memcmp(again.value.data() + kGwhPixelsOffset, original.pixels(), original.pixelCount))
    std::abort();
  return 0;
}
