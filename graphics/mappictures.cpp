#include "graphics/mappictures.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "bmp/bmp.h"
#include "bmp/palette.h"

namespace {
const MapEntry& entryAt(const MapFile& map, const MapIndex& at) {
  return map.sections[at.ynsc].entries[at.entry];
}

bool inRanges(const MapSettings& s, const MapIndex& at) {
  return !s.rangeGiven || (s.ynscRange.holds(at.ynsc) && s.entryRange.holds(at.entry) &&
                           s.bitmapRange.holds(at.bitmap));
}

bool entryInRanges(const MapSettings& s, uint32_t y, uint32_t e) {
  return !s.rangeGiven || (s.ynscRange.holds(y) && s.entryRange.holds(e));
}

// An export reads palette P whole (1024 bytes) and bitmap B's width x height
// pixels: each must exist and lie inside the file.
Status paletteReadable(const MapFile& map, const MapEntry& e, const MapIndex& at) {
  if (at.palette >= e.paletteCount)
    return failure("ERROR: entry has no palette %u : YNSC %u, entry %u : %s\n", at.palette, at.ynsc,
                   at.entry, map.name.c_str());
  if (static_cast<uint64_t>(mapPaletteEntries(e, at.palette)) + kMapPaletteBytes > map.size)
    return failure("ERROR: palette data outside file : YNSC %u, entry %u, palette %u : %s\n",
                   at.ynsc, at.entry, at.palette, map.name.c_str());
  return Status();
}

Status bitmapReadable(const MapFile& map, const MapEntry& e, const MapIndex& at) {
  uint64_t bytes = static_cast<uint64_t>(e.bitmapWidth) * e.bitmapHeight;
  if (mapBitmapPixels(e, at.bitmap) + bytes > map.size)
    return failure("ERROR: bitmap data outside file : YNSC %u, entry %u, bitmap %u : %s\n", at.ynsc,
                   at.entry, at.bitmap, map.name.c_str());
  return Status();
}

// Where an imported palette goes: after the slot head, slot size - 16 bytes
// for slots of up to 1040 bytes, else 1024 bytes (the check of the file
// makes every slot at least as large as its head).
uint32_t paletteCopyBytes(uint32_t slotSize) {
  return slotSize <= kMapPaletteBytes + kMapSlotHead ? slotSize - kMapSlotHead : kMapPaletteBytes;
}
}  // namespace

uint32_t mapDefaultPalette(const MapEntry& e, uint32_t bitmap) {
  return e.paletteCount > 1 && e.paletteCount >= e.bitmapCount ? bitmap : 0;
}

std::string mapOutputName(const MapFile& map, const MapEntry& e, const MapIndex& at) {
  std::string name;
  if (map.ynscCount >= 2) name += formatText("%u_", at.ynsc);
  name += formatText("%02u", at.entry);
  if (e.bitmapCount > 1 || at.palette != at.bitmap) name += formatText("_%02u", at.bitmap);
  if (at.palette != at.bitmap) name += formatText("_%02u", at.palette);
  return name + ".bmp";
}

Status mapCheckIndex(const MapFile& map, const MapIndex& at) {
  const char* name = map.name.c_str();
  if (at.ynsc >= map.sections.size())
    return failure("ERROR: given YNSC index bigger than max YNSC index : %u > %u : %s\n", at.ynsc,
                   map.ynscCount - 1, name);
  const MapSection& s = map.sections[at.ynsc];
  uint32_t entries = static_cast<uint32_t>(s.entries.size());
  if (at.entry >= entries)
    return failure("ERROR: given Entry index bigger than max entry index : %u > %u : %s\n",
                   at.entry, entries - 1, name);
  const MapEntry& e = s.entries[at.entry];
  if (at.bitmap >= e.bitmapCount)
    return failure("ERROR: given Bitmap index bigger than max bitmap index: %u > %u : %s\n",
                   at.bitmap, e.bitmapCount - 1, name);
  if (at.palette >= e.paletteCount)
    return failure("ERROR: given Palette index bigger than max palette index: %u > %u : %s\n",
                   at.palette, e.paletteCount - 1, name);
  return Status();
}

Result<std::vector<uint8_t>> mapBitmapToBmp(const MapFile& map, const MapIndex& at,
                                            const MapSettings& settings, const char* bmpName,
                                            const Messages& messages) {
  Result<std::vector<uint8_t>> result;
  const MapEntry& e = entryAt(map, at);
  result.status = paletteReadable(map, e, at);
  if (result.ok()) result.status = bitmapReadable(map, e, at);
  if (!result.ok()) return result;
  uint8_t palette[kMapPaletteBytes];
  std::memcpy(palette, map.data.data() + mapPaletteEntries(e, at.palette), sizeof palette);
  PaletteExport how;
  how.flags = settings.paletteFlags;
  how.swizzle = true;
  if (paletteExportColours(palette, 256, how, messages) != 0)
    report(messages, "WARN: assert : failed to remove duplicities : %s : %s\n", map.name.c_str(),
           bmpName);
  const uint8_t* pixels = map.data.data() + mapBitmapPixels(e, at.bitmap);
  if (!settings.output32)
    return bmpEncodeRaw(pixels, static_cast<int32_t>(e.bitmapWidth),
                        static_cast<int32_t>(e.bitmapHeight), 8, palette, true, true, true, bmpName,
                        messages);
  result = paletteExport32(pixels, e.bitmapWidth, e.bitmapHeight, 8, palette, false,
                           map.name.c_str(), bmpName, messages);
  if (!result.ok()) result.status = failure("ERROR: cannot save data as BMP file : %s\n", bmpName);
  return result;
}

void mapForEachChosen(const MapFile& map, const MapSettings& settings, const Messages& messages,
                      const std::function<void(const MapIndex&, const std::string&)>& visit) {
  for (uint32_t y = 0; y < map.sections.size(); ++y) {
    for (uint32_t j = 0; j < map.sections[y].entries.size(); ++j) {
      if (!entryInRanges(settings, y, j)) continue;
      const MapEntry& e = map.sections[y].entries[j];
      if (e.paletteCount < e.bitmapCount)
        report(messages,
               "WARN: expected palette for every bitmap, got less, using first : %u < %u : %s",
               e.paletteCount, e.bitmapCount, map.name.c_str());
      for (uint32_t k = 0; k < e.bitmapCount; ++k) {
        MapIndex at{y, j, k, mapDefaultPalette(e, k)};
        if (inRanges(settings, at)) visit(at, mapOutputName(map, e, at));
      }
    }
  }
}

Status mapImportBmp(MapFile& map, const MapIndex& at, std::vector<uint8_t> bmp, const char* bmpName,
                    const MapSettings& settings, const Messages& messages) {
  const MapEntry& e = entryAt(map, at);
  const char* name = map.name.c_str();
  Result<BmpImage> image = bmpRead(std::move(bmp), bmpName, messages);
  if (!image.ok()) {
    report(messages, "%s", image.status.message.c_str());
    return Status();
  }
  Result<BmpRaw> loaded = bmpRawFromImage(std::move(image.value), true);
  if (!loaded.ok()) return loaded.status;
  const BmpRaw& raw = loaded.value;
  if (raw.bpp != 8)
    report(messages, "WARN: supported only 8-bit BMP, given bmp is %u : %s : %s\n", raw.bpp,
           bmpName, name);
  uint32_t size = bmpRawSizeFor(raw.width, raw.height, raw.bpp);
  uint32_t space = e.bitmapSlotSize - kMapSlotHead;
  if (size > space) {
    report(messages,
           "ERROR: given BMP bitmap size is bigger than given space : %u > %u : %s : %s\n", size,
           space, bmpName, name);
    return Status();
  }
  if (settings.importPalette && at.palette >= e.paletteCount) {
    report(messages, "ERROR: entry has no palette %u : YNSC %u, entry %u : %s\n", at.palette,
           at.ynsc, at.entry, name);
    return Status();
  }
  if (size) std::memcpy(map.data.data() + mapBitmapPixels(e, at.bitmap), raw.pixels.data(), size);
  if (settings.importPalette) {
    uint8_t palette[kMapPaletteBytes] = {};
    std::memcpy(palette, raw.palette.data(), raw.palette.size());
    paletteImport(palette, 256, raw.bpp == 8, settings.paletteFlags);
    std::memcpy(map.data.data() + mapPaletteEntries(e, at.palette), palette,
                paletteCopyBytes(e.paletteSlotSize));
  }
  return Status();
}

std::vector<MapPicture> mapExportAll(const MapFile& map, const MapSettings& settings,
                                     const Messages& messages) {
  std::vector<MapPicture> pictures;
  mapForEachChosen(map, settings, messages, [&](const MapIndex& at, const std::string& name) {
    Result<std::vector<uint8_t>> bmp = mapBitmapToBmp(map, at, settings, name.c_str(), messages);
    if (bmp.ok())
      pictures.push_back(MapPicture{name, std::move(bmp.value)});
    else
      report(messages, "%s", bmp.status.message.c_str());
  });
  return pictures;
}

Status mapImportAll(MapFile& map, const std::vector<MapPicture>& pictures,
                    const MapSettings& settings, const Messages& messages) {
  Status status;
  mapForEachChosen(map, settings, messages, [&](const MapIndex& at, const std::string& name) {
    if (status.failed) return;
    for (const MapPicture& picture : pictures)
      if (picture.name == name) {
        status = mapImportBmp(map, at, picture.bmp, name.c_str(), settings, messages);
        return;
      }
  });
  return status;
}
