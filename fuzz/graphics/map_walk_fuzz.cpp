// Any bytes as a map file: the check refuses them with a message, or every
// section, entry, bitmap and palette it lets through can be listed, and every
// bitmap it lets through is exported to a BMP in memory or refused.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/graphics/touch.h"
#include "graphics/map1.h"
#include "graphics/mappictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  // An exact-size buffer so that the sanitizer catches any read past the end.
  const Messages quiet;
  Result<MapFile> read = mapRead(std::vector<uint8_t>(data, data + size), "fuzz.map", quiet);
  if (!read.ok()) return 0;
  const MapFile& map = read.value;
  for (uint32_t y = 0; y < map.sections.size(); ++y) {
    const MapSection& s = map.sections[y];
    for (uint32_t j = 0; j < s.entries.size(); ++j) {
      const MapEntry& e = s.entries[j];
      if (static_cast<uint64_t>(e.offset) + e.length > s.offset + 16ull + s.dataSize) std::abort();
      fuzzTouch(map.data.data() + e.offset, e.length);
      mapAllBitmapsSame(&map, e);
      mapAllPalettesSame(&map, e);
      for (uint32_t k = 0; k < e.bitmapCount && k < 8; ++k) {
        MapIndex at{y, j, k, mapDefaultPalette(e, k)};
        Result<std::vector<uint8_t>> bmp = mapBitmapToBmp(map, at, MapSettings(), "f.bmp", quiet);
        if (bmp.ok()) fuzzTouch(bmp.value.data(), bmp.value.size());
      }
    }
  }
  return 0;
}
