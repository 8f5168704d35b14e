// The four things kvogwh does: list, export to BMP, create from BMP, import
// the pixels of a BMP.
#include <cstdlib>
#include <cstring>

#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "common/le.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "graphics/gwh.h"
#include "platform/platform.h"

void gwhPrintMode(const GwhOptions& opt) {
  GwhFile gwh = gwhLoad(opt.first);
  FILE* out = stdout;
  if (opt.second) {
    out = platFopen(opt.second, "w");
    if (!out) fatal("ERROR: couldnt open file for output : %s\n", opt.second);
  }
  gwhPrint(&gwh, out);
  if (out != stdout) {
    fpToNameAdd(out, opt.second);
    fcloseE(out);  // a full disk shows here
  }
  gwhFree(&gwh);
}

// The game palette made editable: transparent blacks get odd shades of
// magenta (or green) that the create mode recognises and turns back.
static void exportColours(uint8_t* pal, const GwhOptions& opt) {
  paletteSwizzle(pal, kGwhPaletteEntries);
  if (!opt.noChange) {
    if (colorIsZero(pal)) colorSetMagenta(pal);
    if (opt.green)
      paletteBlackToOddGreens(pal, kGwhPaletteEntries);
    else
      paletteBlackToOddMagentas(pal, kGwhPaletteEntries);
    paletteMakeDistinct(pal, kGwhPaletteEntries);
    palettePrintDuplicates(pal, kGwhPaletteEntries, nullptr);
  }
  paletteSwapRB(pal, kGwhPaletteEntries);
}

void gwhExport(const GwhOptions& opt) {
  GwhFile gwh = gwhLoad(opt.first);
  exportColours(gwh.palette, opt);
  bmpSaveRawE(opt.second, gwh.pixels, static_cast<int32_t>(gwh.width),
              static_cast<int32_t>(gwh.height), 8, gwh.palette);
  gwhFree(&gwh);
}

// An exported palette always has entries with alpha; fourth bytes that are
// all zero were dropped by an editor.
static bool alphaDropped(const uint8_t* pal, uint32_t entries) {
  for (uint32_t i = 0; i < entries; ++i)
    if (pal[4 * i + 3] != 0) return false;
  return entries != 0;
}

static void importColours(uint8_t* pal, uint32_t entries, const GwhOptions& opt,
                          const char* bmpPath) {
  paletteSwapRB(pal, kGwhPaletteEntries);
  if (!opt.noChange) {
    if (alphaDropped(pal, entries)) {
      report("WARN: BMP palette has no alpha, alpha taken from the marker colours : %s\n",
             bmpPath);
      paletteAlphaFromMarks(pal, entries, opt.green);
    }
    if (opt.green)
      paletteOddGreensToBlack(pal, kGwhPaletteEntries);
    else
      paletteOddMagentasToBlack(pal, kGwhPaletteEntries);
    if (colorIsMagenta(pal)) colorSetBlack(pal);
  }
  paletteSwizzle(pal, kGwhPaletteEntries);
}

void gwhCreate(const GwhOptions& opt) {
  const char* bmpPath = opt.first;
  const char* gwhPath = opt.second;
  BmpImage* bmp = gwhBmpLoad(bmpPath);
  if (!bmp) exitFailure();  // the check has said why
  if (bmpBpp(bmp) != 8)
    fatal("ERROR: input BMP file must be %u-bit, is %u: %s\n", 8u, bmpBpp(bmp), bmpPath);
  if (!bmpPalette(bmp))  // an 8-bit picture always has one
    fatal("ERROR: couldnt get palette from BMP or wrong size (<1024B): %s\n", bmpPath);
  uint8_t* pixels = bmpExtractRawAuto(bmp);
  // Editors write only the colours a picture uses; the rest of the game's
  // palette is transparent black. More than 256 were cut to 256 on loading.
  const uint32_t entries = bmpPaletteEntries(bmp);
  if (entries < kGwhPaletteEntries)
    report("WARN: BMP palette has %u colours, the other %u are transparent black : %s\n",
           entries, kGwhPaletteEntries - entries, bmpPath);
  uint8_t palette[kGwhPaletteBytes] = {};
  std::memcpy(palette, bmpPalette(bmp), bmpPaletteBytes(bmp));
  importColours(palette, entries, opt, bmpPath);

  // A top-down BMP has a negative height; the picture's height is its size.
  const uint32_t width = bmpWidthAbs(bmp);
  const uint32_t height = bmpHeightAbs(bmp);
  uint8_t header[kGwhHeaderSize] = {};
  wr32(header, width);
  wr32(header + 4, height);
  // An existing picture is replaced only by a complete one.
  FILE* fp = outOpen(gwhPath, "wb");
  outWrite(fp, header, kGwhHeaderSize);
  outWrite(fp, palette, kGwhPaletteBytes);
  outWrite(fp, pixels, bmpRawSize(bmp));
  outCommit(fp);
  std::free(pixels);
  bmpFree(bmp);
}

void gwhImport(const GwhOptions& opt) {
  const char* bmpPath = opt.second;
  const char* outPath = opt.third ? opt.third : opt.first;
  GwhFile gwh = gwhLoad(opt.first);
  BmpImage* bmp = gwhBmpLoad(bmpPath);
  if (!bmp) fatal("ERROR: cannot load data from BMP file : %s\n", bmpPath);
  uint32_t width = 0, height = 0, bpp = 0;
  uint8_t* raw = bmpRawFromImage(bmp, &width, &height, &bpp, nullptr, false);
  if (width != gwh.width || height != gwh.height || bpp != 8)
    fatal("ERROR: BMP resolution (%s; %ux%ux%u) doesnt match GWH (%s; %u%u%u)\n", bmpPath, width,
          height, bpp, gwh.name, gwh.width, gwh.height, 8u);
  if (opt.mask)
    mergeUnlessKey(raw, gwh.pixels, gwh.pixelCount, gwh.key);
  else if (gwh.pixelCount != 0)
    std::memcpy(gwh.pixels, raw, gwh.pixelCount);
  // The output is often the input itself: it is replaced only once the new
  // data is completely written.
  fileSaveQ(outPath, gwh.data, gwh.size);
  std::free(raw);
  gwhFree(&gwh);
}
