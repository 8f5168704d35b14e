// Palette and pixel conversions between the game's RGBA palettes and
// editable BMP palettes.
//
// A game palette entry is red, green, blue, alpha, with alpha 0x80 opaque and
// 0x00 transparent (kvognop also knows "normal" alpha, 0xFF opaque). Within
// every block of 32 entries the game stores entries 8-15 and 16-23 exchanged.
// All operations work in place on `count` consecutive 4-byte entries;
// "black" means red = green = blue = 0 whatever the alpha, "zero" all four
// bytes 0. Setting a colour never touches alpha.
#pragma once

#include <cstdint>
#include <vector>

#include "common/outcome.h"

// Palette flags: a set bit switches one export step off.
enum : uint32_t {
  kPalKeepBackground = 0x02,        // entry 0 is not turned magenta
  kPalKeepDuplicates = 0x04,        // duplicate colours are left as they are
  kPalKeepTransparentBlack = 0x08,  // transparent black is not turned green
  kPalKeepSecond = 0x10,            // entry 1 is not turned green
  kPalNoAlpha = 0x20,               // alpha is not applied to the colours
  kPalFlagsDefault = 0x30,
  kPalFlagsNoChange = 0x3E,  // "-n"
};

// The flags for the export options, applied in the tools' order:
// "-n", then "-na", then "-sb", then "-ta".
uint32_t paletteFlagsFromOptions(bool noChange, bool noGreens, bool secondGreen, bool applyAlpha);

// The colour options the map and headerless picture tools share: "-n",
// "-na", "-sb", "-t" / "-t4" and "-ta".
struct PictureColourOptions {
  bool noChange = false, noGreens = false, secondGreen = false, output32 = false,
       applyAlpha = false;
};
// Takes the option with this second and third character (lower case); false
// when the second character is none of n, s, t.
bool pictureColourOption(char letter, char third, PictureColourOptions* options);
uint32_t paletteFlagsOf(const PictureColourOptions& options);

void paletteSwizzle(uint8_t* pal, uint32_t count);
void paletteSwapRB(uint8_t* pal, uint32_t count);

bool colorIsZero(const uint8_t* e);
bool colorIsBlack(const uint8_t* e);
bool colorIsMagenta(const uint8_t* e);
bool colorIsGreen(const uint8_t* e);
void colorSetMagenta(uint8_t* e);
void colorSetGreen(uint8_t* e);
void colorSetBlack(uint8_t* e);

void paletteSetAlpha(uint8_t* pal, uint32_t count, uint8_t alpha);
// alpha >= 0x80 -> 0xFF, else alpha * 2 (game alpha to BMP alpha).
void paletteDoubleAlpha(uint8_t* pal, uint32_t count);
// Black entries: alpha 1..0x7F -> green 2*(0x80-alpha); alpha 0 -> green 255.
void paletteBlackToGreens(uint8_t* pal, uint32_t count);
// Black entries: green 255 - alpha (normal alpha).
void paletteBlackToGreensNormal(uint8_t* pal, uint32_t count);
// kvogwh's marks: black entries with alpha 1..0x7F get odd shades
// 2*(0x80-alpha)+1 of green, or of magenta; the reverse operations turn such
// shades (on entries whose alpha is not 0x80) back into black.
void paletteBlackToOddGreens(uint8_t* pal, uint32_t count);
void paletteBlackToOddMagentas(uint8_t* pal, uint32_t count);
void paletteOddGreensToBlack(uint8_t* pal, uint32_t count);
void paletteOddMagentasToBlack(uint8_t* pal, uint32_t count);
// For a palette whose alpha an editor has dropped: every alpha set again
// from the marks, an odd shade s giving 0x80 - (s - 1) / 2, a magenta entry
// 0 (the background) 0, any other entry 0x80.
void paletteAlphaFromMarks(uint8_t* pal, uint32_t count, bool green);
// Entries with alpha < 0x80: colour := colour * alpha / 128.
void paletteApplyAlphaBlack(uint8_t* pal, uint32_t count);
// Entries with alpha < 0x80: colour blended over (r, g, b) in 128 steps.
void paletteApplyAlphaOver(uint8_t* pal, uint32_t count, uint8_t r, uint8_t g, uint8_t b);
// Every entry: colour blended over (r, g, b) in 255 steps (normal alpha).
void paletteApplyAlphaOverNormal(uint8_t* pal, uint32_t count, uint8_t r, uint8_t g, uint8_t b);
// Nudges the blue of later duplicates of each colour; returns the number of
// changes made to entries before the one being looked at.
uint32_t paletteMakeDistinct(uint8_t* pal, uint32_t count);
// Reports one WARN line per colour that has later duplicates (name optional);
// returns the number of such colours.
uint32_t palettePrintDuplicates(const uint8_t* pal, uint32_t count, const char* name,
                                const Messages& messages);

// dst[i] := the 4-byte entry pal[pixels[i]].
void pixels8To32(uint8_t* dst, const uint8_t* pixels, const uint8_t* pal, uint32_t count);
// Pixels read as one stream of nibbles, low nibble first.
void pixels4To32(uint8_t* dst, const uint8_t* pixels, const uint8_t* pal, uint32_t count);
// Row by row form for raw 4-bit pictures (each row starts on a byte).
void pixels4To32Rows(uint8_t* dst, const uint8_t* pixels, const uint8_t* pal, uint32_t width,
                     uint32_t height);
// dst[i] := src[i] wherever src[i] != key.
void mergeUnlessKey(const uint8_t* src, uint8_t* dst, uint32_t len, uint8_t key);
// dst[i] := src[i] wherever mask[i] != 0.
void mergeByMask(uint8_t* dst, const uint8_t* src, const uint8_t* mask, uint32_t len);
// The same per nibble.
void mergeByMask4(uint8_t* dst, const uint8_t* src, const uint8_t* mask, uint32_t len);
// pixel := idx where its palette entry's alpha is != 0x80 / == 0x80.
void pixelsSetWhereAlpha(uint8_t* pixels, const uint8_t* pal, uint32_t len, uint8_t idx);
void pixelsSetWhereOpaque(uint8_t* pixels, const uint8_t* pal, uint32_t len, uint8_t idx);

// How kvomap and kvognop turn a game palette into the BMP palette.
struct PaletteExport {
  uint32_t flags = kPalFlagsDefault;
  bool swizzle = false;               // undo the game's block order first
  bool normalAlpha = false;           // alpha 0..0xFF instead of 0..0x80
  uint8_t background[3] = {0, 0, 0};  // red, green, blue that alpha blends over
  const char* name = nullptr;         // named in the duplicate warnings
};

// The export pipeline up to the BMP palette: swizzle (when asked), alpha,
// magenta entry 0, green entry 1, greens for transparent black, distinct
// colours (and their warnings), then red/blue exchanged to BMP order.
// Returns the number of colours that still have duplicates (0 when the
// duplicate step is switched off).
uint32_t paletteExportColours(uint8_t* pal, uint32_t count, const PaletteExport& how,
                              const Messages& messages);
// The 32-bit ending of the pipeline: the BMP-order palette's alpha doubled
// (game alpha only), each 8- or 4-bit raw pixel looked up and the picture
// encoded bottom-up as 32 bits without palette. Depths other than 4 and 8
// fail with "ERROR: conversion from N-bit to 32-bit not supported : NAME"
// (no newline, as the tools have always printed it); `bmpName` names the BMP.
Result<std::vector<uint8_t>> paletteExport32(const uint8_t* raw, uint32_t width, uint32_t height,
                                             uint32_t bpp, uint8_t* pal, bool normalAlpha,
                                             const char* name, const char* bmpName,
                                             const Messages& messages);

// A BMP palette back to game order (kvomap "-ip"): red/blue exchanged, the
// block order restored when `swizzle` (8-bit pictures), and with the default
// flags every alpha 0x80 but entry 0's, which becomes 0.
void paletteImport(uint8_t* pal, uint32_t count, bool swizzle, uint32_t flags);
