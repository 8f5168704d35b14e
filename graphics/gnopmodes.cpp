#include "graphics/gnopmodes.h"
#include "common/safeout.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"

namespace {
std::vector<uint8_t> loadOrExit(const char* path) {
  return valueOrExit(loadFile(path, FileWording::Plain));
}

// A BMP's raw form; one that cannot be read or is refused ends the process
// with "ERROR: cannot load data from BMP file".
BmpRaw bmpLoadRawE(const char* path) {
  Result<BmpImage> image = bmpLoad(path, stderrMessages());
  if (!image.ok()) {
    report("%s", image.status.message.c_str());
    fatal("ERROR: cannot load data from BMP file : %s\n", path);
  }
  return valueOrExit(bmpRawFromImage(std::move(image.value), true));
}

void exportTo(GnopFile* gnop, const char* path) {
  std::vector<uint8_t> bmp = valueOrExit(gnopToBmp(gnop, path, stderrMessages()));
  // An existing picture is replaced only by a complete one.
  if (fileSave(path, bmp.data(), static_cast<uint32_t>(bmp.size())) < bmp.size()) {
    if (!gnop->output32) fatal("ERROR: cannot save data as BMP file : %s%s\n", path, outKeptNote());
    report("ERROR: cannot save data as BMP file : %s%s\n", path, outKeptNote());
  }
}
}  // namespace

std::unique_ptr<GnopLoaded> gnopLoad(const char* bitmapPath, const char* palettePath,
                                     const GnopParams& params, const GnopExportSettings& settings) {
  auto loaded = std::make_unique<GnopLoaded>();
  loaded->bitmapFile = loadOrExit(bitmapPath);
  if (std::strcmp(bitmapPath, palettePath) != 0) loaded->paletteFile = loadOrExit(palettePath);
  const std::vector<uint8_t>& palette =
      loaded->paletteFile.empty() && std::strcmp(bitmapPath, palettePath) == 0
          ? loaded->bitmapFile
          : loaded->paletteFile;
  GnopFile* gnop = &loaded->gnop;
  exitOnFailure(gnopCheck(loaded->bitmapFile.data(),
                          static_cast<uint32_t>(loaded->bitmapFile.size()), palette.data(),
                          static_cast<uint32_t>(palette.size()), params, bitmapPath, gnop));
  gnopSelectPalette(gnop, 0, stderrMessages());
  gnop->flags = settings.flags;
  gnop->output32 = settings.output32;
  std::memcpy(gnop->background, settings.background, 3);
  return loaded;
}

void gnopExtractOne(GnopFile* gnop, uint32_t index, uint32_t row, const char* path) {
  gnopSelectPalette(gnop, index, stderrMessages());
  if (gnop->bpp == 4) gnopSelectSubPalette(gnop, row);
  exportTo(gnop, path);
}

void gnopExtractAll(GnopFile* gnop, bool onlyGiven, uint32_t only, const char* prefix) {
  uint32_t count = gnop->paletteBytes / kGnopPaletteBytes;
  for (uint32_t i = 0; i < count; ++i) {
    if (onlyGiven && i != only) continue;
    gnopSelectPalette(gnop, i, stderrMessages());
    char name[32];
    if (gnop->bpp != 4) {
      std::snprintf(name, sizeof name, "_%03u.bmp", i);
      exportTo(gnop, (prefix + std::string(name)).c_str());
      continue;
    }
    for (uint32_t j = 0; j < kGnopTile; ++j) {
      std::snprintf(name, sizeof name, "_%02ux%02u.bmp", i, j);
      gnopSelectSubPalette(gnop, j);
      exportTo(gnop, (prefix + std::string(name)).c_str());
    }
  }
}

void gnopCreate(const char* bmpPath, const char* bitmapPath) {
  BmpRaw raw = bmpLoadRawE(bmpPath);
  fileSaveE(bitmapPath, raw.pixels.data(), static_cast<uint32_t>(raw.pixels.size()));
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
  BmpRaw raw = bmpLoadRawE(bmpPath);
  const uint32_t size = static_cast<uint32_t>(raw.pixels.size());
  FILE* target = outName ? copyToOutput(bitmapPath, outName) : fopenE(bitmapPath, "rb+");
  fseekE(target, static_cast<int32_t>(position), SEEK_SET);
  fwriteE(raw.pixels.data(), 1, size, target);
  if (outName)
    outCommit(target);
  else
    fcloseE(target);
}

void gnopMaskMerge(const char* bitmapPath, const char* bmpPath, const char* maskPath,
                   const char* outName) {
  std::vector<uint8_t> bitmap = loadOrExit(bitmapPath);
  BmpRaw bmp = bmpLoadRawE(bmpPath);
  BmpRaw mask = bmpLoadRawE(maskPath);
  if (bmp.bpp != 8 && bmp.bpp != 4)
    report("WARN: merge support 4/8-bit bitmaps only, is %u\n", bmp.bpp);
  const uint32_t bmpSize = static_cast<uint32_t>(bmp.pixels.size());
  const uint32_t maskSize = static_cast<uint32_t>(mask.pixels.size());
  const uint32_t bitmapSize = static_cast<uint32_t>(bitmap.size());
  if (bmpSize != bitmapSize || maskSize != bitmapSize) {
    report("ERROR: GNOP/BMP/MASK bitmap size must be same, is %u, %u, %u: %s\n", bitmapSize,
           bmpSize, maskSize, bitmapPath);
    return;
  }
  if (bmp.bpp == 4)
    mergeByMask4(bitmap.data(), bmp.pixels.data(), mask.pixels.data(), bitmapSize);
  else
    mergeByMask(bitmap.data(), bmp.pixels.data(), mask.pixels.data(), bitmapSize);
  fileSaveE(outName ? outName : bitmapPath, bitmap.data(), bitmapSize);
}
