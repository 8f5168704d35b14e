// The export pipeline from a game palette to the palette of a BMP file.

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"
#include "bmp/palette.h"

uint32_t paletteExportColours(uint8_t* pal, uint32_t count, const PaletteExport& how,
                              const Messages& messages) {
  const uint32_t flags = how.flags;
  const uint8_t* bg = how.background;
  if (how.swizzle) paletteSwizzle(pal, count);
  if (!(flags & kPalNoAlpha)) {
    if (how.normalAlpha)
      paletteApplyAlphaOverNormal(pal, count, bg[0], bg[1], bg[2]);
    else
      paletteApplyAlphaOver(pal, count, bg[0], bg[1], bg[2]);
  }
  if (!(flags & kPalKeepBackground) && count > 0 && colorIsZero(pal)) colorSetMagenta(pal);
  if (!(flags & kPalKeepSecond) && count > 1 && colorIsZero(pal + 4)) colorSetGreen(pal + 4);
  // Alpha was applied above, so a coloured entry with alpha 0 is black by now
  // and turns green here.
  if (!(flags & kPalKeepTransparentBlack)) {
    if (how.normalAlpha)
      paletteBlackToGreensNormal(pal, count);
    else
      paletteBlackToGreens(pal, count);
  }
  uint32_t remaining = 0;
  if (!(flags & kPalKeepDuplicates)) {
    if (paletteMakeDistinct(pal, count) != 0) paletteMakeDistinct(pal, count);
    remaining = palettePrintDuplicates(pal, count, how.name, messages);
  }
  paletteSwapRB(pal, count);
  return remaining;
}

Result<std::vector<uint8_t>> paletteExport32(const uint8_t* raw, uint32_t width, uint32_t height,
                                             uint32_t bpp, uint8_t* pal, bool normalAlpha,
                                             const char* name, const char* bmpName,
                                             const Messages& messages) {
  Result<std::vector<uint8_t>> result;
  if (bpp != 4 && bpp != 8) {
    result.status =
        failure("ERROR: conversion from %u-bit to 32-bit not supported : %s", bpp, name);
    return result;
  }
  const uint64_t pixels = static_cast<uint64_t>(width) * height;
  if (pixels * 4 > UINT32_MAX) {
    result.status =
        failure("ERROR: cannot malloc %llu bytes.\n", static_cast<unsigned long long>(pixels * 4));
    return result;
  }
  if (!normalAlpha) paletteDoubleAlpha(pal, bmpPaletteEntriesFor(bpp));
  std::vector<uint8_t> colours;
  result.status = bmpAllocate(colours, 4 * pixels);
  if (!result.ok()) return result;
  if (bpp == 8)
    pixels8To32(colours.data(), raw, pal, static_cast<uint32_t>(pixels));
  else
    pixels4To32Rows(colours.data(), raw, pal, width, height);
  return bmpEncodeRaw(colours.data(), static_cast<int32_t>(width), static_cast<int32_t>(height), 32,
                      nullptr, true, true, false, bmpName, messages);
}
