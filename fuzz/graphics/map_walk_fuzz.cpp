// Any bytes as a map file: the check refuses them with a message, or every
// section, entry, bitmap and palette it lets through can be listed, and every
// bitmap and palette an export would read lies inside the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/graphics/touch.h"
#include "graphics/map1.h"
#include "graphics/mapmodes.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  // An exact-size buffer so that the sanitizer catches any read past the end.
  uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(copy, data, size);
  MapFile map;
  if (!mapCheck(copy, static_cast<uint32_t>(size), "fuzz.map", &map)) {
    std::free(copy);
    return 0;
  }
  FILE* quiet = std::fopen("/dev/null", "w");
  mapPrintInfo(&map, quiet);
  mapPrintGnopLines(&map, quiet);
  mapPrintMapLines(&map, quiet);
  std::fclose(quiet);
  for (uint32_t y = 0; y < map.sections.size(); ++y) {
    const MapSection& s = map.sections[y];
    for (uint32_t j = 0; j < s.entries.size(); ++j) {
      const MapEntry& e = s.entries[j];
      if (static_cast<uint64_t>(e.offset) + e.length > s.offset + 16ull + s.dataSize) std::abort();
      fuzzTouch(copy + e.offset, e.length);
      for (uint32_t k = 0; k < e.bitmapCount && k < 64; ++k) {
        MapIndex at{y, j, k, mapDefaultPalette(e, k)};
        if (mapBitmapReadable(&map, e, at))
          fuzzTouch(copy + mapBitmapPixels(e, k), uint64_t(e.bitmapWidth) * e.bitmapHeight);
        if (mapPaletteReadable(&map, e, at)) fuzzTouch(copy + mapPaletteEntries(e, at.palette), 1024);
      }
    }
  }
  std::free(copy);
  return 0;
}
