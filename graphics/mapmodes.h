// What kvomap does with a loaded map file: the three listings, extracting
// bitmaps with their palettes to BMP files and importing BMPs back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "graphics/map1.h"

// Bitmap B of entry E in YNSC section Y, with palette P.
struct MapIndex {
  uint32_t ynsc = 0, entry = 0, bitmap = 0, palette = 0;
};

// The palette a bitmap uses when none is given.
uint32_t mapDefaultPalette(const MapEntry& e, uint32_t bitmap);
// The file name of a bitmap inside an export set (without PREFIX).
std::string mapOutputName(const MapFile* map, const MapEntry& e, const MapIndex& at);

void mapPrintInfo(const MapFile* map, FILE* out);
// "-pg": kvognop command lines; "-pe": kvomap command lines.
void mapPrintGnopLines(const MapFile* map, FILE* out);
void mapPrintMapLines(const MapFile* map, FILE* out);

// Checks Y, E, B and P against the counts of their levels; prints the index
// message and returns false for the first one out of range.
bool mapCheckIndex(const MapFile* map, const MapIndex& at);

// An export reads palette P whole (1024 bytes) and bitmap B's width x height
// pixels: each must exist and lie inside the file, else an ERROR line is
// printed and false returned.
bool mapPaletteReadable(const MapFile* map, const MapEntry& e, const MapIndex& at);
bool mapBitmapReadable(const MapFile* map, const MapEntry& e, const MapIndex& at);

// Writes one bitmap with its palette as a BMP file. An entry whose bitmap or
// palette lies outside the file is refused with an ERROR line.
void mapExtractBitmap(const MapFile* map, const MapIndex& at, const char* path);
void mapExtractAll(const MapFile* map);

// Imports one BMP into bitmap B (and palette P with palette import). A BMP
// that cannot be loaded is skipped without a message.
void mapImportBitmap(MapFile* map, const MapIndex& at, const char* bmpPath);
void mapImportAll(MapFile* map);
