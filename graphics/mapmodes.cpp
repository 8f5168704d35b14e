#include "graphics/mapmodes.h"
#include "common/safeout.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/fileload.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"

MapFile mapLoad(const char* path) {
  std::vector<uint8_t> bytes = valueOrExit(loadFile(path, FileWording::Plain));
  return valueOrExit(mapRead(std::move(bytes), path, stderrMessages()));
}

void mapSave(const MapFile& map, const char* path) { outSave(path, map.data.data(), map.size); }

namespace {
const char* prefixOf(const char* prefix) { return prefix ? prefix : ""; }

// The listings' notice for entries with fewer palettes than bitmaps.
void warnFewPalettes(const MapFile& map, const MapEntry& e) {
  if (e.paletteCount < e.bitmapCount)
    report("WARN: expected palette for every bitmap, got less, using first : %u < %u : %s",
           e.paletteCount, e.bitmapCount, map.name.c_str());
}
}  // namespace

void mapPrintInfo(const MapFile& map, FILE* out) {
  std::fprintf(out, "filename: %s\n", map.name.c_str());
  std::fprintf(out, "fileSize: %u (0x%x)\n", map.size, map.size);
  std::fprintf(out, "YNSC sections : %u\n", map.ynscCount);
  for (uint32_t i = 0; i < map.sections.size(); ++i) {
    const MapSection& s = map.sections[i];
    std::fprintf(out, "YNSC %u :\n", i);
    std::fprintf(out, "    entry count : %u\n", static_cast<uint32_t>(s.entries.size()));
    for (uint32_t j = 0; j < s.entries.size(); ++j) {
      const MapEntry& e = s.entries[j];
      std::fprintf(out, "    entry %2u : draw-width = %3u, draw-height = %3u, x = %3d, y = %3d\n",
                   j, e.drawWidth, e.drawHeight, e.x, e.y);
      std::fprintf(out,
                   "                bitmaps  = %2u, width = %3u, height = %3u, dataSize = 0x%05X",
                   e.bitmapCount, e.bitmapWidth, e.bitmapHeight, e.bitmapSlotSize);
      std::fputs(mapAllBitmapsSame(&map, e) ? " (all bitmaps same)\n" : "\n", out);
      std::fprintf(out,
                   "                palettes = %2u, width = %3u, height = %3u, dataSize = 0x%05X",
                   e.paletteCount, e.paletteWidth, e.paletteHeight, e.paletteSlotSize);
      const char* same = "\n";
      if (e.paletteCount < 2)
        same = "\n";
      else if (mapAllPalettesSame(&map, e))
        same = " (all palettes same)\n";
      else if (mapLastTwoPalettesSame(&map, e))
        same = " (last two same)\n";
      else if (mapFirstTwoPalettesSame(&map, e))
        same = " (first two same)\n";
      std::fputs(same, out);
    }
  }
  std::fputs("\n", out);
}

void mapPrintGnopLines(const MapFile& map, const char* prefix, FILE* out) {
  for (uint32_t y = 0; y < map.sections.size(); ++y) {
    for (uint32_t j = 0; j < map.sections[y].entries.size(); ++j) {
      const MapEntry& e = map.sections[y].entries[j];
      warnFewPalettes(map, e);
      for (uint32_t k = 0; k < e.bitmapCount; ++k) {
        MapIndex at{y, j, k, mapDefaultPalette(e, k)};
        std::fprintf(
            out, "kvognop -e  -pb %03u,%03u,8,0x%06X  -pp 0x%06X,%02u,%02u  %s  %s  %s%s\n",
            e.bitmapWidth, e.bitmapHeight, mapBitmapPixels(e, k), mapPaletteEntries(e, at.palette),
            e.paletteWidth, e.paletteHeight, map.name.c_str(), map.name.c_str(), prefixOf(prefix),
            mapOutputName(map, e, at).c_str());
      }
    }
  }
}

void mapPrintMapLines(const MapFile& map, const char* prefix, FILE* out) {
  for (uint32_t y = 0; y < map.sections.size(); ++y) {
    for (uint32_t j = 0; j < map.sections[y].entries.size(); ++j) {
      const MapEntry& e = map.sections[y].entries[j];
      warnFewPalettes(map, e);
      for (uint32_t k = 0; k < e.bitmapCount; ++k) {
        MapIndex at{y, j, k, mapDefaultPalette(e, k)};
        std::fprintf(out, "kvomap -e%02u,%02u,%02u,%02u    %s  %s%s\n", y, j, k, at.palette,
                     map.name.c_str(), prefixOf(prefix), mapOutputName(map, e, at).c_str());
      }
    }
  }
}

void mapExtractBitmap(const MapFile& map, const MapIndex& at, const MapSettings& settings,
                      const char* path) {
  Result<std::vector<uint8_t>> bmp = mapBitmapToBmp(map, at, settings, path, stderrMessages());
  if (!bmp.ok()) {
    report("%s", bmp.status.message.c_str());
    return;
  }
  // An existing picture is replaced only by a complete one.
  if (fileSave(path, bmp.value.data(), static_cast<uint32_t>(bmp.value.size())) <
      bmp.value.size()) {
    if (!settings.output32)
      fatal("ERROR: cannot save data as BMP file : %s%s\n", path, outKeptNote());
    report("ERROR: cannot save data as BMP file : %s%s\n", path, outKeptNote());
  }
}

void mapExtractAll(const MapFile& map, const MapSettings& settings, const char* prefix) {
  mapForEachChosen(map, settings, stderrMessages(),
                   [&](const MapIndex& at, const std::string& name) {
                     mapExtractBitmap(map, at, settings, (prefixOf(prefix) + name).c_str());
                   });
}

void mapImportBitmap(MapFile& map, const MapIndex& at, const MapSettings& settings,
                     const char* bmpPath) {
  Result<std::vector<uint8_t>> bmp = loadFile(bmpPath, FileWording::Plain);
  if (!bmp.ok()) return;
  exitOnFailure(mapImportBmp(map, at, std::move(bmp.value), bmpPath, settings, stderrMessages()));
}

void mapImportAll(MapFile& map, const MapSettings& settings, const char* prefix) {
  mapForEachChosen(map, settings, stderrMessages(),
                   [&](const MapIndex& at, const std::string& name) {
                     mapImportBitmap(map, at, settings, (prefixOf(prefix) + name).c_str());
                   });
}
