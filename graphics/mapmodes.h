// What kvomap does with a loaded map file, front end: the three listings,
// extracting bitmaps with their palettes to BMP files and importing BMPs
// back. Each prints its messages; a failure that ends the run ends the process.
#pragma once

#include <cstdio>

#include "graphics/map1.h"
#include "graphics/mappictures.h"

// Reads and checks a map file; ends the process when it cannot.
MapFile mapLoad(const char* path);
// Writes the whole buffer to `path`, which is replaced only after a complete write.
void mapSave(const MapFile& map, const char* path);

void mapPrintInfo(const MapFile& map, FILE* out);
// "-pg": kvognop command lines; "-pe": kvomap command lines; PREFIX may be null.
void mapPrintGnopLines(const MapFile& map, const char* prefix, FILE* out);
void mapPrintMapLines(const MapFile& map, const char* prefix, FILE* out);

// Writes one bitmap with its palette as a BMP file. An entry whose bitmap or
// palette lies outside the file is refused with an ERROR line.
void mapExtractBitmap(const MapFile& map, const MapIndex& at, const MapSettings& settings,
                      const char* path);
void mapExtractAll(const MapFile& map, const MapSettings& settings, const char* prefix);

// Imports one BMP into bitmap B (and palette P with palette import). A BMP
// that cannot be loaded is skipped without a message.
void mapImportBitmap(MapFile& map, const MapIndex& at, const MapSettings& settings,
                     const char* bmpPath);
void mapImportAll(MapFile& map, const MapSettings& settings, const char* prefix);
