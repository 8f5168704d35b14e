#include "graphics/gnop.h"

#include <cstring>
#include <utility>

#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "common/numparse.h"

namespace {
struct KnownSize {
  uint32_t fileSize;
  int firstByte;  // -1: any, 0: zero, 1: not zero
  uint32_t width, height, bpp;
};

const KnownSize kKnownSizes[] = {
    {0x4000, -1, 256, 128, 4},  {0x8000, 1, 256, 128, 8},   {0x8000, 0, 512, 128, 4},
    {0x10000, -1, 256, 256, 8}, {0x20000, -1, 512, 256, 8}, {0x34000, -1, 512, 416, 8},
};

uint64_t rawSize64(uint64_t width, uint64_t height, uint64_t bpp) {
  uint64_t rowBytes = (width * bpp + 7) >> 3;
  if (rowBytes != 0 && height > UINT64_MAX / rowBytes) return UINT64_MAX;
  return rowBytes * height;
}

unsigned long long ull(uint64_t v) { return static_cast<unsigned long long>(v); }

// Palette geometry: given by "-pp" only when both width and height are;
// otherwise both follow from the bytes after the palette offset.
void paletteGeometry(const GnopParams& p, uint32_t available, uint64_t* bytes, uint32_t* width,
                     uint32_t* height) {
  if (p.paletteWidth && p.paletteHeight) {
    *width = p.paletteWidth;
    *height = p.paletteHeight;
    *bytes = 4ull * p.paletteWidth * p.paletteHeight;
    return;
  }
  *bytes = available;
  if (available == kGnopUsualPaletteFile) {
    *width = *height = 64;
    return;
  }
  *width = kGnopTile;
  uint32_t tiles = available / kGnopPaletteBytes;
  *height = tiles > 1 ? kGnopTile * tiles : kGnopTile;
}
}  // namespace

Result<uint32_t> gnopParseNumbers(const char* text, uint32_t* values, uint32_t max) {
  Result<uint32_t> count;
  const char* at = text;
  while (*at && count.value < max) {
    char* end = nullptr;
    Result<int32_t> number = parseUInt32Auto(at, &end);
    if (!number.ok()) return Result<uint32_t>{count.value, number.status};
    values[count.value++] = static_cast<uint32_t>(number.value);
    at = *end ? end + 1 : end;
  }
  return count;
}

Status gnopParseBitmapParams(const char* text, GnopParams* params) {
  uint32_t v[4] = {0, 0, 0, 0};
  Status parsed = gnopParseNumbers(text, v, 4).status;
  if (parsed.failed) return parsed;
  params->given = true;
  params->width = v[0];
  params->height = v[1];
  params->bpp = v[2];
  params->bitmapOffset = v[3];
  return Status();
}

Status gnopParsePaletteParams(const char* text, GnopParams* params) {
  uint32_t v[5] = {0, 0, 0, 0, 0};
  Status parsed = gnopParseNumbers(text, v, 5).status;
  if (parsed.failed) return parsed;
  params->given = true;
  params->paletteOffset = v[0];
  params->paletteWidth = v[1];
  params->paletteHeight = v[2];
  params->noSwapColor = v[3];
  params->normalAlpha = v[4];
  return Status();
}

bool gnopDetectSize(uint32_t fileSize, uint8_t firstByte, uint32_t* width, uint32_t* height,
                    uint32_t* bpp) {
  for (const KnownSize& k : kKnownSizes) {
    if (k.fileSize != fileSize) continue;
    if (k.firstByte >= 0 && (firstByte != 0) != (k.firstByte != 0)) continue;
    *width = k.width;
    *height = k.height;
    *bpp = k.bpp;
    return true;
  }
  return false;
}

Status gnopCheck(const uint8_t* bitmapData, uint32_t bitmapSize, const uint8_t* paletteData,
                 uint32_t paletteSize, const GnopParams& params, const char* name, GnopFile* g) {
  if (!g || !bitmapData || !paletteData) {
    return failure("ERROR: assert : kvognopSetAndValidate : gnop must not be NULL\n");
  }
  if (paletteSize < kGnopPaletteBytes) {
    return failure("ERROR: palette size expected minimum %u is %u : %s\n", kGnopPaletteBytes,
                   paletteSize, name);
  }
  if (params.bitmapOffset >= bitmapSize) {
    return failure("ERROR: bitmap offset (0x%X) bigger or equal memory size (0x%X) : %s\n",
                   params.bitmapOffset, bitmapSize, name);
  }
  if (params.paletteOffset >= paletteSize) {
    return failure("ERROR: palette offset (0x%X) bigger or equal memory size  (0x%X) : %s\n",
                   params.paletteOffset, paletteSize, name);
  }
  g->name = name;
  g->bitmapData = bitmapData;
  g->bitmapDataSize = bitmapSize;
  g->paletteData = paletteData;
  g->paletteDataSize = paletteSize;
  g->bitmapOffset = params.bitmapOffset;
  g->paletteOffset = params.paletteOffset;
  g->swizzle = params.noSwapColor == 0;
  g->gameAlpha = params.normalAlpha == 0;
  if (params.width && params.height && params.bpp) {
    g->width = params.width;
    g->height = params.height;
    g->bpp = params.bpp;
  } else if (!gnopDetectSize(bitmapSize, bitmapData[0], &g->width, &g->height, &g->bpp)) {
    return failure("ERROR: unknown bitmap size (%u bytes) : %s\n", bitmapSize, name);
  }
  uint64_t paletteBytes = 0;
  paletteGeometry(params, paletteSize - params.paletteOffset, &paletteBytes, &g->paletteWidth,
                  &g->paletteHeight);
  uint64_t size = rawSize64(g->width, g->height, g->bpp);
  if (size > bitmapSize - params.bitmapOffset) {  // the offset is below the size
    return failure(
        "ERROR: bitmap offset (0x%X) + bitmapsize (0x%llX) bigger than memory (0x%X) : %s\n",
        params.bitmapOffset, ull(size), bitmapSize, name);
  }
  if (paletteBytes > paletteSize - params.paletteOffset) {
    return failure(
        "ERROR: palette offset (0x%X) + palettesize (0x%llX) bigger than memory (0x%X) : %s\n",
        params.paletteOffset, ull(paletteBytes), paletteSize, name);
  }
  g->bitmapSize = static_cast<uint32_t>(size);
  g->bitmap = bitmapData + params.bitmapOffset;
  g->paletteBytes = static_cast<uint32_t>(paletteBytes);
  g->paletteBase = paletteData + params.paletteOffset;
  g->colourCount = g->bpp == 4 ? 16 : 256;
  // Every selection copies a whole 16 x 16 tile; the first must be there.
  if (!gnopTileFits(g, 0)) {
    return failure("ERROR: palette geometry %ux%u holds no 16x16 palette : %s\n", g->paletteWidth,
                   g->paletteHeight, name);
  }
  return Status();
}

uint32_t gnopPaletteCount(const GnopFile* g) {
  uint64_t count = static_cast<uint64_t>(g->paletteWidth) * g->paletteHeight / 256;
  return count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
}

bool gnopTileFits(const GnopFile* g, uint32_t index) {
  uint32_t perRow = g->paletteWidth / kGnopTile;
  if (perRow == 0) return false;
  uint64_t lastRow = static_cast<uint64_t>(index / perRow) * kGnopTile + kGnopTile - 1;
  uint64_t end = (lastRow * g->paletteWidth + (index % perRow) * kGnopTile + kGnopTile) * 4;
  return end <= g->paletteBytes;
}

void gnopSelectPalette(GnopFile* g, uint32_t index, const Messages& messages) {
  if (index >= gnopPaletteCount(g) || !gnopTileFits(g, index)) {
    report(messages, "WARN: not valid index (%u) for multipalette, set to 0 : %s\n", index,
           g->name);
    index = 0;
  }
  uint32_t perRow = g->paletteWidth / kGnopTile;
  uint64_t rowBytes = 4ull * g->paletteWidth;
  const uint8_t* tile =
      g->paletteBase + (index / perRow) * kGnopTile * rowBytes + (index % perRow) * kGnopTile * 4;
  for (uint32_t r = 0; r < kGnopTile; ++r)
    std::memcpy(g->working + r * kGnopTile * 4, tile + r * rowBytes, kGnopTile * 4);
  if (g->swizzle) paletteSwizzle(g->working, 256);
  g->paletteIndex = index;
  g->palette = g->working;
}

void gnopSelectSubPalette(GnopFile* g, uint32_t row) {
  if (g->colourCount != kGnopTile) return;  // only 16-colour pictures use one row
  g->palette = g->working + (row < kGnopTile ? row : 0) * kGnopTile * 4;
}

Result<std::vector<uint8_t>> gnopToBmp(GnopFile* g, const char* bmpName, const Messages& messages) {
  PaletteExport how;
  how.flags = g->flags;
  how.normalAlpha = !g->gameAlpha;
  std::memcpy(how.background, g->background, 3);
  how.name = g->name;
  paletteExportColours(g->palette, g->colourCount, how, messages);
  if (g->output32)
    return paletteExport32(g->bitmap, g->width, g->height, g->bpp, g->palette, !g->gameAlpha,
                           g->name, bmpName, messages);
  return bmpEncodeRaw(g->bitmap, static_cast<int32_t>(g->width), static_cast<int32_t>(g->height),
                      g->bpp, g->palette, true, true, true, bmpName, messages);
}

Result<std::vector<uint8_t>> gnopBitmapToBmp(const std::vector<uint8_t>& bitmap,
                                             const std::vector<uint8_t>& palettes,
                                             const GnopParams& params,
                                             const GnopExportSettings& settings, uint32_t index,
                                             uint32_t row, const char* name, const char* bmpName,
                                             const Messages& messages) {
  GnopFile gnop;
  Status checked = gnopCheck(bitmap.data(), static_cast<uint32_t>(bitmap.size()), palettes.data(),
                             static_cast<uint32_t>(palettes.size()), params, name, &gnop);
  if (checked.failed) return Result<std::vector<uint8_t>>{{}, checked};
  gnop.flags = settings.flags;
  gnop.output32 = settings.output32;
  std::memcpy(gnop.background, settings.background, 3);
  gnopSelectPalette(&gnop, index, messages);
  if (gnop.bpp == 4) gnopSelectSubPalette(&gnop, row);
  return gnopToBmp(&gnop, bmpName, messages);
}

Result<std::vector<uint8_t>> gnopBitmapFromBmp(std::vector<uint8_t> bmp, const char* bmpName,
                                               const Messages& messages) {
  Result<BmpImage> image = bmpRead(std::move(bmp), bmpName, messages);
  if (!image.ok()) return Result<std::vector<uint8_t>>{{}, image.status};
  Result<BmpRaw> raw = bmpRawFromImage(std::move(image.value), true);
  return Result<std::vector<uint8_t>>{std::move(raw.value.pixels), raw.status};
}
