// What kvognop does with a picture, front end: export with one or all
// palettes, and write BMP pixels back (whole, at a position, or merged
// through a mask). Each prints its messages and ends the process on a
// failure that stops the run.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/gnop.h"

// A checked picture together with the file bytes it points into.
struct GnopLoaded {
  std::vector<uint8_t> bitmapFile, paletteFile;  // paletteFile empty: the bitmap file
  GnopFile gnop;
};

// Loads BITMAP and MPALETTES (one buffer when the paths are the same text),
// checks them and selects palette 0; ends the process on a failure.
std::unique_ptr<GnopLoaded> gnopLoad(const char* bitmapPath, const char* palettePath,
                                     const GnopParams& params, const GnopExportSettings& settings);

// -e: palette `index`, for 4-bit pictures sub-palette `row`.
void gnopExtractOne(GnopFile* gnop, uint32_t index, uint32_t row, const char* path);
// -a / -aX: every palette, or only `only` when `onlyGiven`.
void gnopExtractAll(GnopFile* gnop, bool onlyGiven, uint32_t only, const char* prefix);
// -c: the BMP's raw pixels become the whole bitmap file.
void gnopCreate(const char* bmpPath, const char* bitmapPath);
// -i: the BMP's raw pixels written at `position` of BITMAP, or of a copy of
// it named OUTNAME (null: BITMAP itself).
void gnopImport(uint32_t position, const char* bitmapPath, const char* bmpPath,
                const char* outName);
// -m: pixels of BMPFILE copied where BMPMASK is not 0; the result written to
// OUTNAME (null: BITMAP).
void gnopMaskMerge(const char* bitmapPath, const char* bmpPath, const char* maskPath,
                   const char* outName);
