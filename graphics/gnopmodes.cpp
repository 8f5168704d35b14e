#include "graphics/gnopmodes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"

GnopFile* gnopLoad(const char* bitmapPath, const char* palettePath, const GnopParams& params,
                   const GnopExportSettings& settings) {
  long bitmapSize = 0;
  uint8_t* bitmap = fileLoadE(bitmapPath, &bitmapSize, 0, 0);
  long paletteSize = bitmapSize;
  uint8_t* palette = bitmap;
  if (std::strcmp(bitmapPath, palettePath) != 0) palette = fileLoadE(palettePath, &paletteSize, 0, 0);
  GnopFile* gnop = kvognopSetAndValidate(bitmap, static_cast<uint32_t>(bitmapSize), palette,
                                         static_cast<uint32_t>(paletteSize), params, bitmapPath);
  gnop->flags = settings.flags;
  gnop->output32 = settings.output32;
  std::memcpy(gnop->background, settings.background, 3);
  return gnop;
}

void gnopRelease(GnopFile* gnop) {
  if (gnop->paletteData != gnop->bitmapData) std::free(const_cast<uint8_t*>(gnop->paletteData));
  std::free(const_cast<uint8_t*>(gnop->bitmapData));
  delete gnop;
}

void gnopExtractOne(GnopFile* gnop, uint32_t index, uint32_t row, const char* path) {
  gnopSelectPalette(gnop, index);
  if (gnop->bpp == 4) gnopSelectSubPalette(gnop, row);
  gnopExport(gnop, path);
}

void gnopExtractAll(GnopFile* gnop, bool onlyGiven, uint32_t only, const char* prefix) {
  uint32_t count = gnop->paletteBytes / kGnopPaletteBytes;
  for (uint32_t i = 0; i < count; ++i) {
    if (onlyGiven && i != only) continue;
    gnopSelectPalette(gnop, i);
    char name[32];
    if (gnop->bpp != 4) {
      std::snprintf(name, sizeof name, "_%03u.bmp", i);
      gnopExport(gnop, (prefix + std::string(name)).c_str());
      continue;
    }
    for (uint32_t j = 0; j < kGnopTile; ++j) {
      std::snprintf(name, sizeof name, "_%02ux%02u.bmp", i, j);
      gnopSelectSubPalette(gnop, j);
      gnopExport(gnop, (prefix + std::string(name)).c_str());
    }
  }
}

void gnopCreate(const char* bmpPath, const char* bitmapPath) {
  uint32_t width = 0, height = 0, bpp = 0;
  uint8_t* raw = bmpLoadRawE(bmpPath, &width, &height, &bpp);
  fileSaveE(bitmapPath, raw, bmpRawSizeFor(width, height, bpp));
  std::free(raw);
}

namespace {
// BITMAP copied in blocks to a temporary file beside OUTNAME; the caller
// writes into the copy and commits it.
FILE* copyToOutput(const char* bitmapPath, const char* outName) {
  FILE* in = fopenE(bitmapPath, "rb");
  FILE* out = outOpen(outName, "wb");
  static uint8_t block[16384];
  size_t got = 0;
  while ((got = freadE(block, 1, sizeof block, in)) > 0) fwriteE(block, 1, got, out);
  fcloseE(in);
  return out;
}
}  // namespace

void gnopImport(uint32_t position, const char* bitmapPath, const char* bmpPath,
                const char* outName) {
  uint32_t width = 0, height = 0, bpp = 0;
  uint8_t* raw = bmpLoadRawE(bmpPath, &width, &height, &bpp);
  uint32_t size = bmpRawSizeFor(width, height, bpp);
  FILE* target = outName ? copyToOutput(bitmapPath, outName) : fopenE(bitmapPath, "rb+");
  fseekE(target, static_cast<int32_t>(position), SEEK_SET);
  fwriteE(raw, 1, size, target);
  if (outName)
    outCommit(target);
  else
    fcloseE(target);
  std::free(raw);
}

void gnopMaskMerge(const char* bitmapPath, const char* bmpPath, const char* maskPath,
                   const char* outName) {
  long size = 0;
  uint8_t* bitmap = fileLoadE(bitmapPath, &size, 0, 0);
  uint32_t width = 0, height = 0, bpp = 0, maskWidth = 0, maskHeight = 0, maskBpp = 0;
  uint8_t* bmp = bmpLoadRawE(bmpPath, &width, &height, &bpp);
  uint8_t* mask = bmpLoadRawE(maskPath, &maskWidth, &maskHeight, &maskBpp);
  if (bpp != 8 && bpp != 4) report("WARN: merge support 4/8-bit bitmaps only, is %u\n", bpp);
  uint32_t bmpSize = bmpRawSizeFor(width, height, bpp);
  uint32_t maskSize = bmpRawSizeFor(maskWidth, maskHeight, maskBpp);
  uint32_t bitmapSize = static_cast<uint32_t>(size);
  if (bmpSize != bitmapSize || maskSize != bitmapSize) {
    report("ERROR: GNOP/BMP/MASK bitmap size must be same, is %u, %u, %u: %s\n", bitmapSize, bmpSize,
           maskSize, bitmapPath);
  } else {
    if (bpp == 4)
      mergeByMask4(bitmap, bmp, mask, bitmapSize);
    else
      mergeByMask(bitmap, bmp, mask, bitmapSize);
    const char* target = outName ? outName : bitmapPath;
    fileSaveE(target, bitmap, bitmapSize);
  }
  std::free(mask);
  std::free(bmp);
  std::free(bitmap);
}
