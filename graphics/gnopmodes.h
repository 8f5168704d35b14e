// What kvognop does with a picture: export with one or all palettes, and
// write BMP pixels back (whole, at a position, or merged through a mask).
#pragma once

#include <cstdint>

#include "graphics/gnop.h"

// The export settings of the command line.
struct GnopExportSettings {
  uint32_t flags = 0x30;
  bool output32 = false;
  uint8_t background[3] = {0, 0, 0};
};

// Loads BITMAP and MPALETTES (one buffer when the paths are the same text)
// and checks them; ends the process on a failure.
GnopFile* gnopLoad(const char* bitmapPath, const char* palettePath, const GnopParams& params,
                   const GnopExportSettings& settings);

// Frees what gnopLoad allocated: both file buffers (one when shared) and the record.
void gnopRelease(GnopFile* gnop);

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
