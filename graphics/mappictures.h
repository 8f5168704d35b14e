// The pictures of a map file as BMP files in memory: one bitmap with one of
// its entry's palettes, every bitmap the ranges choose, and the way back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "graphics/map1.h"

// Bitmap B of entry E in YNSC section Y, with palette P.
struct MapIndex {
  uint32_t ynsc = 0, entry = 0, bitmap = 0, palette = 0;
};

// The palette a bitmap uses when none is given.
uint32_t mapDefaultPalette(const MapEntry& e, uint32_t bitmap);
// The file name of a bitmap inside an export set (without PREFIX).
std::string mapOutputName(const MapFile& map, const MapEntry& e, const MapIndex& at);

// Y, E, B and P checked against the counts of their levels: the failure
// names the first one out of range.
Status mapCheckIndex(const MapFile& map, const MapIndex& at);

// Bitmap `at` with its palette as the bytes of a BMP file (8-bit, or 32-bit
// with output32). An entry whose palette or bitmap lies outside the file
// fails with its ERROR line; `bmpName` ends the duplicate-colour warning.
Result<std::vector<uint8_t>> mapBitmapToBmp(const MapFile& map, const MapIndex& at,
                                            const MapSettings& settings, const char* bmpName,
                                            const Messages& messages);

// Visits every bitmap the ranges choose with its name, warning about entries
// with fewer palettes than bitmaps.
void mapForEachChosen(const MapFile& map, const MapSettings& settings, const Messages& messages,
                      const std::function<void(const MapIndex&, const std::string&)>& visit);

// Puts the pixels of a BMP file's bytes into bitmap `at` (and its palette
// into palette P with importPalette). A refused BMP changes nothing; its
// lines, and those of a BMP that does not fit, go to `messages`. Fails only
// for pixels of a depth without raw form.
Status mapImportBmp(MapFile& map, const MapIndex& at, std::vector<uint8_t> bmp, const char* bmpName,
                    const MapSettings& settings, const Messages& messages);

struct MapPicture {
  std::string name;  // as mapOutputName gives it
  std::vector<uint8_t> bmp;
};
// kvomap -e in memory: every chosen bitmap as a BMP; a bitmap that cannot
// be exported is left out after its ERROR line went to `messages`.
std::vector<MapPicture> mapExportAll(const MapFile& map, const MapSettings& settings,
                                     const Messages& messages);
// kvomap -i in memory: each chosen bitmap whose name is among `pictures`
// imported from it; map.data is then the rebuilt file.
Status mapImportAll(MapFile& map, const std::vector<MapPicture>& pictures,
                    const MapSettings& settings, const Messages& messages);
