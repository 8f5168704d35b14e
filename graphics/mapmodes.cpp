#include "graphics/mapmodes.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "frontend/frontend.h"
#include "common/safeout.h"

namespace {
const char* prefixOf(const MapFile* map) { return map->prefix ? map->prefix : ""; }

// The walks' notice for entries with fewer palettes than bitmaps.
void warnFewPalettes(const MapFile* map, const MapEntry& e) {
  if (e.paletteCount < e.bitmapCount)
    report("WARN: expected palette for every bitmap, got less, using first : %u < %u : %s",
           e.paletteCount, e.bitmapCount, map->name);
}

bool inRanges(const MapFile* map, const MapIndex& at) {
  return !map->rangeGiven || (map->ynscRange.holds(at.ynsc) && map->entryRange.holds(at.entry) &&
                              map->bitmapRange.holds(at.bitmap));
}

bool entryInRanges(const MapFile* map, uint32_t y, uint32_t e) {
  return !map->rangeGiven || (map->ynscRange.holds(y) && map->entryRange.holds(e));
}

const MapEntry& entryAt(const MapFile* map, const MapIndex& at) {
  return map->sections[at.ynsc].entries[at.entry];
}

}  // namespace

bool mapPaletteReadable(const MapFile* map, const MapEntry& e, const MapIndex& at) {
  if (at.palette >= e.paletteCount) {
    report("ERROR: entry has no palette %u : YNSC %u, entry %u : %s\n", at.palette, at.ynsc,
           at.entry, map->name);
    return false;
  }
  if (static_cast<uint64_t>(mapPaletteEntries(e, at.palette)) + kMapPaletteBytes > map->size) {
    report("ERROR: palette data outside file : YNSC %u, entry %u, palette %u : %s\n", at.ynsc,
           at.entry, at.palette, map->name);
    return false;
  }
  return true;
}

bool mapBitmapReadable(const MapFile* map, const MapEntry& e, const MapIndex& at) {
  uint64_t bytes = static_cast<uint64_t>(e.bitmapWidth) * e.bitmapHeight;
  if (mapBitmapPixels(e, at.bitmap) + bytes > map->size) {
    report("ERROR: bitmap data outside file : YNSC %u, entry %u, bitmap %u : %s\n", at.ynsc,
           at.entry, at.bitmap, map->name);
    return false;
  }
  return true;
}

namespace {
// The 32-bit picture buffer, kept for the whole run and grown when needed.
uint8_t* pixelBuffer32(uint64_t pixels) {
  static std::vector<uint8_t> buffer(0x50000 * 4);
  if (buffer.size() < pixels * 4) buffer.resize(pixels * 4);
  return buffer.data();
}
}  // namespace

uint32_t mapDefaultPalette(const MapEntry& e, uint32_t bitmap) {
  return e.paletteCount > 1 && e.paletteCount >= e.bitmapCount ? bitmap : 0;
}

std::string mapOutputName(const MapFile* map, const MapEntry& e, const MapIndex& at) {
  char part[48];
  std::string name;
  if (map->ynscCount >= 2) {
    std::snprintf(part, sizeof part, "%u_", at.ynsc);
    name += part;
  }
  std::snprintf(part, sizeof part, "%02u", at.entry);
  name += part;
  if (e.bitmapCount > 1 || at.palette != at.bitmap) {
    std::snprintf(part, sizeof part, "_%02u", at.bitmap);
    name += part;
  }
  if (at.palette != at.bitmap) {
    std::snprintf(part, sizeof part, "_%02u", at.palette);
    name += part;
  }
  return name + ".bmp";
}

void mapPrintInfo(const MapFile* map, FILE* out) {
  std::fprintf(out, "filename: %s\n", map->name);
  std::fprintf(out, "fileSize: %u (0x%x)\n", map->size, map->size);
  std::fprintf(out, "YNSC sections : %u\n", map->ynscCount);
  for (uint32_t i = 0; i < map->sections.size(); ++i) {
    const MapSection& s = map->sections[i];
    std::fprintf(out, "YNSC %u :\n", i);
    std::fprintf(out, "    entry count : %u\n", static_cast<uint32_t>(s.entries.size()));
    for (uint32_t j = 0; j < s.entries.size(); ++j) {
      const MapEntry& e = s.entries[j];
      std::fprintf(out,
                   "    entry %2u : draw-width = %3u, draw-height = %3u, x = %3d, y = %3d\n", j,
                   e.drawWidth, e.drawHeight, e.x, e.y);
      std::fprintf(out, "                bitmaps  = %2u, width = %3u, height = %3u, dataSize = 0x%05X",
                   e.bitmapCount, e.bitmapWidth, e.bitmapHeight, e.bitmapSlotSize);
      std::fputs(mapAllBitmapsSame(map, e) ? " (all bitmaps same)\n" : "\n", out);
      std::fprintf(out, "                palettes = %2u, width = %3u, height = %3u, dataSize = 0x%05X",
                   e.paletteCount, e.paletteWidth, e.paletteHeight, e.paletteSlotSize);
      const char* same = "\n";
      if (e.paletteCount < 2)
        same = "\n";
      else if (mapAllPalettesSame(map, e))
        same = " (all palettes same)\n";
      else if (mapLastTwoPalettesSame(map, e))
        same = " (last two same)\n";
      else if (mapFirstTwoPalettesSame(map, e))
        same = " (first two same)\n";
      std::fputs(same, out);
    }
  }
  std::fputs("\n", out);
}

void mapPrintGnopLines(const MapFile* map, FILE* out) {
  for (uint32_t y = 0; y < map->sections.size(); ++y) {
    for (uint32_t j = 0; j < map->sections[y].entries.size(); ++j) {
      const MapEntry& e = map->sections[y].entries[j];
      warnFewPalettes(map, e);
      for (uint32_t k = 0; k < e.bitmapCount; ++k) {
        MapIndex at{y, j, k, mapDefaultPalette(e, k)};
        std::fprintf(out, "kvognop -e  -pb %03u,%03u,8,0x%06X  -pp 0x%06X,%02u,%02u  %s  %s  %s%s\n",
                     e.bitmapWidth, e.bitmapHeight, mapBitmapPixels(e, k),
                     mapPaletteEntries(e, at.palette), e.paletteWidth, e.paletteHeight, map->name,
                     map->name, prefixOf(map), mapOutputName(map, e, at).c_str());
      }
    }
  }
}

void mapPrintMapLines(const MapFile* map, FILE* out) {
  for (uint32_t y = 0; y < map->sections.size(); ++y) {
    for (uint32_t j = 0; j < map->sections[y].entries.size(); ++j) {
      const MapEntry& e = map->sections[y].entries[j];
      warnFewPalettes(map, e);
      for (uint32_t k = 0; k < e.bitmapCount; ++k) {
        MapIndex at{y, j, k, mapDefaultPalette(e, k)};
        std::fprintf(out, "kvomap -e%02u,%02u,%02u,%02u    %s  %s%s\n", y, j, k, at.palette,
                     map->name, prefixOf(map), mapOutputName(map, e, at).c_str());
      }
    }
  }
}

bool mapCheckIndex(const MapFile* map, const MapIndex& at) {
  if (at.ynsc >= map->sections.size()) {
    report("ERROR: given YNSC index bigger than max YNSC index : %u > %u : %s\n", at.ynsc,
           map->ynscCount - 1, map->name);
    return false;
  }
  const MapSection& s = map->sections[at.ynsc];
  uint32_t entries = static_cast<uint32_t>(s.entries.size());
  if (at.entry >= entries) {
    report("ERROR: given Entry index bigger than max entry index : %u > %u : %s\n", at.entry,
           entries - 1, map->name);
    return false;
  }
  const MapEntry& e = s.entries[at.entry];
  if (at.bitmap >= e.bitmapCount) {
    report("ERROR: given Bitmap index bigger than max bitmap index: %u > %u : %s\n", at.bitmap,
           e.bitmapCount - 1, map->name);
    return false;
  }
  if (at.palette >= e.paletteCount) {
    report("ERROR: given Palette index bigger than max palette index: %u > %u : %s\n", at.palette,
           e.paletteCount - 1, map->name);
    return false;
  }
  return true;
}

void mapExtractBitmap(const MapFile* map, const MapIndex& at, const char* path) {
  const MapEntry& e = entryAt(map, at);
  if (!mapPaletteReadable(map, e, at) || !mapBitmapReadable(map, e, at)) return;
  uint8_t palette[kMapPaletteBytes];
  std::memcpy(palette, map->data + mapPaletteEntries(e, at.palette), sizeof palette);
  PaletteExport how;
  how.flags = map->paletteFlags;
  how.swizzle = true;
  if (paletteExportColours(palette, 256, how) != 0)
    report("WARN: assert : failed to remove duplicities : %s : %s\n", map->name, path);
  const uint8_t* pixels = map->data + mapBitmapPixels(e, at.bitmap);
  int32_t width = static_cast<int32_t>(e.bitmapWidth);
  int32_t height = static_cast<int32_t>(e.bitmapHeight);
  if (!map->output32) {
    bmpSaveRawE(path, pixels, width, height, 8, palette);
    return;
  }
  paletteDoubleAlpha(palette, 256);
  uint64_t count = static_cast<uint64_t>(e.bitmapWidth) * e.bitmapHeight;
  uint8_t* out = pixelBuffer32(count);
  pixels8To32(out, pixels, palette, static_cast<uint32_t>(count));
  if (bmpSaveRaw(path, out, width, height, 32, nullptr, true, true, false) != 0)
    report("ERROR: cannot save data as BMP file : %s%s\n", path, outKeptNote());
}

namespace {
// Visits every bitmap the ranges choose, with its file name in the folder.
template <typename Visit>
void forEachChosenBitmap(const MapFile* map, Visit visit) {
  for (uint32_t y = 0; y < map->sections.size(); ++y) {
    for (uint32_t j = 0; j < map->sections[y].entries.size(); ++j) {
      if (!entryInRanges(map, y, j)) continue;
      const MapEntry& e = map->sections[y].entries[j];
      warnFewPalettes(map, e);
      for (uint32_t k = 0; k < e.bitmapCount; ++k) {
        MapIndex at{y, j, k, mapDefaultPalette(e, k)};
        if (!inRanges(map, at)) continue;
        visit(at, prefixOf(map) + mapOutputName(map, e, at));
      }
    }
  }
}
}  // namespace

void mapExtractAll(const MapFile* map) {
  forEachChosenBitmap(map, [map](const MapIndex& at, const std::string& path) {
    mapExtractBitmap(map, at, path.c_str());
  });
}

namespace {
// Where an imported palette goes: after the slot head, slot size - 16 bytes
// for slots of up to 1040 bytes, else 1024 bytes (the check of the file
// makes every slot at least as large as its head).
uint32_t paletteCopyBytes(uint32_t slotSize) {
  return slotSize <= kMapPaletteBytes + kMapSlotHead ? slotSize - kMapSlotHead : kMapPaletteBytes;
}
}  // namespace

void mapImportBitmap(MapFile* map, const MapIndex& at, const char* bmpPath) {
  const MapEntry& e = entryAt(map, at);
  uint8_t palette[kMapPaletteBytes] = {};
  uint8_t* paletteOut = palette;
  uint32_t width = 0, height = 0, bpp = 0;
  uint8_t* raw = bmpLoadRaw(bmpPath, &width, &height, &bpp, map->importPalette ? &paletteOut : nullptr);
  if (!raw) return;
  if (bpp != 8)
    report("WARN: supported only 8-bit BMP, given bmp is %u : %s : %s\n", bpp, bmpPath, map->name);
  uint32_t size = bmpRawSizeFor(width, height, bpp);
  uint32_t space = e.bitmapSlotSize - kMapSlotHead;
  if (size > space) {
    report("ERROR: given BMP bitmap size is bigger than given space : %u > %u : %s : %s\n", size,
           space, bmpPath, map->name);
  } else if (map->importPalette && at.palette >= e.paletteCount) {
    report("ERROR: entry has no palette %u : YNSC %u, entry %u : %s\n", at.palette, at.ynsc,
           at.entry, map->name);
  } else {
    std::memcpy(map->data + mapBitmapPixels(e, at.bitmap), raw, size);
    if (map->importPalette) {
      paletteImport(palette, 256, bpp == 8, map->paletteFlags);
      std::memcpy(map->data + mapPaletteEntries(e, at.palette), palette,
                  paletteCopyBytes(e.paletteSlotSize));
    }
  }
  std::free(raw);
}

void mapImportAll(MapFile* map) {
  forEachChosenBitmap(map, [map](const MapIndex& at, const std::string& path) {
    mapImportBitmap(map, at, path.c_str());
  });
}
