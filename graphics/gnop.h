// Headerless bitmaps ("gnop" pictures): bare pixel files whose geometry comes
// from a table of known file sizes or from the command line, with their
// palettes in a separate multi-palette file of 16 x 16-entry tiles.
#pragma once

#include <cstdint>
#include <vector>

#include "common/outcome.h"

enum : uint32_t {
  kGnopPaletteBytes = 1024,  // one 256-entry palette
  kGnopUsualPaletteFile = 16384,
  kGnopTile = 16,  // a palette is a 16 x 16 tile of the multi-palette picture
};

// The "-pb" and "-pp" values; those not given are 0.
struct GnopParams {
  bool given = false;
  uint32_t width = 0, height = 0, bpp = 0, bitmapOffset = 0;
  uint32_t paletteOffset = 0, paletteWidth = 0, paletteHeight = 0;
  uint32_t noSwapColor = 0, normalAlpha = 0;
};

// Reads up to `max` numbers ("0x" hex or decimal), each followed by any one
// separating character, into `values`; returns how many were read. A text
// that is not a number fails with the number parser's "ERROR: strtol" line.
Result<uint32_t> gnopParseNumbers(const char* text, uint32_t* values, uint32_t max);
// "width,height,bpp[,bitmap_offset]"
Status gnopParseBitmapParams(const char* text, GnopParams* params);
// "offset[,width,height,noSwapColor,normalAlpha]"
Status gnopParsePaletteParams(const char* text, GnopParams* params);

// The export settings of the command line.
struct GnopExportSettings {
  uint32_t flags = 0x30;
  bool output32 = false;
  uint8_t background[3] = {0, 0, 0};
};

// Geometry from the table of known bitmap file sizes; false for other sizes.
bool gnopDetectSize(uint32_t fileSize, uint8_t firstByte, uint32_t* width, uint32_t* height,
                    uint32_t* bpp);

struct GnopFile {
  uint32_t width = 0, height = 0, bpp = 0;
  uint32_t bitmapSize = 0;
  const uint8_t* bitmap = nullptr;
  uint32_t colourCount = 0;    // 16 or 256
  uint8_t* palette = nullptr;  // the current colours
  uint32_t paletteIndex = 0;
  const uint8_t* paletteBase = nullptr;
  uint32_t paletteBytes = 0, paletteWidth = 0, paletteHeight = 0;
  const char* name = nullptr;
  uint32_t flags = 0x30;
  bool output32 = false;
  bool gameAlpha = true;
  uint8_t background[3] = {0, 0, 0};
  uint32_t bitmapOffset = 0, paletteOffset = 0;
  bool swizzle = true;
  const uint8_t* bitmapData = nullptr;
  uint32_t bitmapDataSize = 0;
  const uint8_t* paletteData = nullptr;
  uint32_t paletteDataSize = 0;
  uint8_t working[kGnopPaletteBytes] = {};
};

// Runs the checks and fills `gnop` (which only points into the data); the
// failure is the first finding.
Status gnopCheck(const uint8_t* bitmapData, uint32_t bitmapSize, const uint8_t* paletteData,
                 uint32_t paletteSize, const GnopParams& params, const char* name, GnopFile* gnop);

// Number of 256-entry palettes the multi-palette picture holds.
uint32_t gnopPaletteCount(const GnopFile* gnop);
// True when tile `index` lies wholly inside the palette bytes.
bool gnopTileFits(const GnopFile* gnop, uint32_t index);
// Copies palette `index` into the working palette and makes it current;
// an index without a whole tile warns and falls back to palette 0.
void gnopSelectPalette(GnopFile* gnop, uint32_t index, const Messages& messages);
// Makes row `row` (16 entries) of the working palette the current colours of
// a 4-bit picture; rows above 15 mean row 0. Other pictures keep all 256.
void gnopSelectSubPalette(GnopFile* gnop, uint32_t row);
// The export pipeline on the current colours, then the bytes of the BMP
// file (`bmpName` named in the failures of its encoding).
Result<std::vector<uint8_t>> gnopToBmp(GnopFile* gnop, const char* bmpName,
                                       const Messages& messages);

// kvognop -e -pb -pp in memory: the bitmap with palette `index` (for 4-bit
// pictures its sub-palette `row`) of the multi-palette bytes as a BMP file.
Result<std::vector<uint8_t>> gnopBitmapToBmp(const std::vector<uint8_t>& bitmap,
                                             const std::vector<uint8_t>& palettes,
                                             const GnopParams& params,
                                             const GnopExportSettings& settings, uint32_t index,
                                             uint32_t row, const char* name, const char* bmpName,
                                             const Messages& messages);
// kvognop -c in memory: the raw pixels of an edited BMP, the whole bitmap file.
Result<std::vector<uint8_t>> gnopBitmapFromBmp(std::vector<uint8_t> bmp, const char* bmpName,
                                               const Messages& messages);
