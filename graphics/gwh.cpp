#include "graphics/gwh.h"

#include <cstring>
#include <utility>

#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "common/le.h"

Status gwhCheck(const uint8_t* data, size_t size, const char* name, const Messages& messages) {
  if (!data) return failure("ERROR: assert : kvogwhSetAndValidate : gwh must not be NULL\n");
  const uint32_t size32 = static_cast<uint32_t>(size);
  if (size < kGwhPixelsOffset)
    return failure("ERROR: file data size must be at last %u is %u : %s\n", kGwhPixelsOffset,
                   size32, name);
  if (rd32(data + 8) != 0 || rd32(data + 12) != 0)
    report(messages, "WARN: file data bytes 8-16 expected zero : %s\n", name);
  // Taken in 64 bits: a width x height that overflows 32 bits must not wrap
  // into a small size that the file seems to hold.
  uint64_t needed = kGwhPixelsOffset + static_cast<uint64_t>(rd32(data)) * rd32(data + 4);
  if (size < needed)
    return failure("ERROR: file data size must be at last %llu, is %u: %s\n",
                   static_cast<unsigned long long>(needed), size32, name);
  return Status();
}

Result<GwhFile> gwhRead(std::vector<uint8_t> bytes, const char* name, const Messages& messages) {
  Result<GwhFile> result;
  result.status = gwhCheck(bytes.data(), bytes.size(), name, messages);
  if (!result.ok()) return result;
  GwhFile& gwh = result.value;
  gwh.width = rd32(bytes.data());
  gwh.height = rd32(bytes.data() + 4);
  gwh.pixelCount = gwh.width * gwh.height;
  gwh.data = std::move(bytes);
  gwh.name = name;
  return result;
}

namespace {
// The game palette made editable: transparent blacks get odd shades of
// magenta (or green) that the create mode recognises and turns back.
void exportColours(uint8_t* pal, const GwhColours& opt, const Messages& messages) {
  paletteSwizzle(pal, kGwhPaletteEntries);
  if (!opt.noChange) {
    if (colorIsZero(pal)) colorSetMagenta(pal);
    if (opt.green)
      paletteBlackToOddGreens(pal, kGwhPaletteEntries);
    else
      paletteBlackToOddMagentas(pal, kGwhPaletteEntries);
    paletteMakeDistinct(pal, kGwhPaletteEntries);
    palettePrintDuplicates(pal, kGwhPaletteEntries, nullptr, messages);
  }
  paletteSwapRB(pal, kGwhPaletteEntries);
}

// An exported palette always has entries with alpha; fourth bytes that are
// all zero were dropped by an editor.
bool alphaDropped(const uint8_t* pal, uint32_t entries) {
  for (uint32_t i = 0; i < entries; ++i)
    if (pal[4 * i + 3] != 0) return false;
  return entries != 0;
}

void importColours(uint8_t* pal, uint32_t entries, const GwhColours& opt, const char* bmpName,
                   const Messages& messages) {
  paletteSwapRB(pal, kGwhPaletteEntries);
  if (!opt.noChange) {
    if (alphaDropped(pal, entries)) {
      report(messages, "WARN: BMP palette has no alpha, alpha taken from the marker colours : %s\n",
             bmpName);
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
}  // namespace

Result<std::vector<uint8_t>> gwhToBmp(GwhFile gwh, const GwhColours& colours, const char* bmpName,
                                      const Messages& messages) {
  exportColours(gwh.palette(), colours, messages);
  return bmpEncodeRaw(gwh.pixels(), static_cast<int32_t>(gwh.width),
                      static_cast<int32_t>(gwh.height), 8, gwh.palette(), true, true, true, bmpName,
                      messages);
}

Result<std::vector<uint8_t>> gwhFromBmp(std::vector<uint8_t> bmpBytes, const char* bmpName,
                                        const GwhColours& colours, const Messages& messages) {
  Result<std::vector<uint8_t>> result;
  Result<BmpImage> bmp = bmpRead(std::move(bmpBytes), bmpName, messages);
  if (!bmp.ok()) {
    result.status = bmp.status;
    return result;
  }
  const BmpImage& image = bmp.value;
  if (bmpBpp(image) != 8) {
    result.status =
        failure("ERROR: input BMP file must be %u-bit, is %u: %s\n", 8u, bmpBpp(image), bmpName);
    return result;
  }
  // Editors write only the colours a picture uses; the rest of the game's
  // palette is transparent black. More than 256 were cut to 256 on loading.
  const uint32_t entries = bmpPaletteEntries(image);
  if (entries < kGwhPaletteEntries)
    report(messages, "WARN: BMP palette has %u colours, the other %u are transparent black : %s\n",
           entries, kGwhPaletteEntries - entries, bmpName);
  uint8_t palette[kGwhPaletteBytes] = {};
  std::memcpy(palette, bmpPalette(image), bmpPaletteBytes(image));
  importColours(palette, entries, colours, bmpName, messages);
  // A top-down BMP has a negative height; the picture's height is its size.
  const uint32_t width = bmpWidthAbs(image);
  const uint32_t height = bmpHeightAbs(image);
  Result<BmpRaw> raw = bmpRawFromImage(std::move(bmp.value), false);
  if (!raw.ok()) {
    result.status = raw.status;
    return result;
  }
  const std::vector<uint8_t>& pixels = raw.value.pixels;
  std::vector<uint8_t>& gwh = result.value;
  gwh.resize(kGwhPixelsOffset + pixels.size());
  wr32(gwh.data(), width);
  wr32(gwh.data() + 4, height);
  std::memcpy(gwh.data() + kGwhHeaderSize, palette, kGwhPaletteBytes);
  if (!pixels.empty()) std::memcpy(gwh.data() + kGwhPixelsOffset, pixels.data(), pixels.size());
  return result;
}

Status gwhImportBmp(GwhFile& gwh, std::vector<uint8_t> bmpBytes, const char* bmpName, bool mask,
                    const Messages& messages) {
  Result<BmpImage> bmp = bmpRead(std::move(bmpBytes), bmpName, messages);
  if (!bmp.ok())
    return failure("%sERROR: cannot load data from BMP file : %s\n", bmp.status.message.c_str(),
                   bmpName);
  Result<BmpRaw> raw = bmpRawFromImage(std::move(bmp.value), false);
  if (!raw.ok()) return raw.status;
  const BmpRaw& r = raw.value;
  if (r.width != gwh.width || r.height != gwh.height || r.bpp != 8)
    return failure("ERROR: BMP resolution (%s; %ux%ux%u) doesnt match GWH (%s; %u%u%u)\n", bmpName,
                   r.width, r.height, r.bpp, gwh.name.c_str(), gwh.width, gwh.height, 8u);
  const uint8_t kBackground = 0;  // the index "-m" does not import
  if (mask)
    mergeUnlessKey(r.pixels.data(), gwh.pixels(), gwh.pixelCount, kBackground);
  else if (gwh.pixelCount != 0)
    std::memcpy(gwh.pixels(), r.pixels.data(), gwh.pixelCount);
  return Status();
}
