// Writing raw pictures as BMP files.
#include <cstdlib>
#include <cstring>

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"
#include "common/fileload.h"
#include "frontend/frontend.h"
#include "common/safeout.h"
#include "platform/platform.h"
#include "platform/replace.h"

namespace {
// Builds the 54 header bytes the library writes; false when the picture
// would not fit a file the tools can handle.
bool buildHeaders(uint8_t* headers, int32_t width, int32_t height, uint32_t bpp) {
  uint64_t paletteBytes = 4ull * bmpPaletteEntriesFor(bpp);
  uint64_t bitmap = bmpf::mulSat(bmpf::stride64(bmpf::absolute(width), bpp),
                                 bmpf::absolute(height));
  if (bitmap > 0x7FFFFFFF) return false;
  std::memset(headers, 0, kBmpHeadersSize);
  uint8_t* ih = headers + kBmpFileHeaderSize;
  wr16(headers, kBmpMagic);
  wr32(headers + 2, static_cast<uint32_t>(kBmpHeadersSize + paletteBytes + bitmap));
  wr32(headers + 10, static_cast<uint32_t>(kBmpHeadersSize + paletteBytes));
  wr32(ih, kBmpInfoHeaderSize);
  wr32(ih + 4, static_cast<uint32_t>(width));
  wr32(ih + 8, static_cast<uint32_t>(height));
  wr16(ih + 12, 1);
  wr16(ih + 14, bpp);
  return true;
}

bool writeAll(FILE* fp, const void* data, size_t length) {
  return length == 0 || std::fwrite(data, 1, length, fp) == length;
}

// The rows of the picture, in file order.
bool writeRows(FILE* fp, const uint8_t* raw, uint32_t width, uint32_t height, uint32_t bpp,
               bool flip, bool pad, bool convert) {
  const size_t rowBytes = bmpRowBytesFor(width, bpp);
  const size_t padding = bmpStrideFor(width, bpp) - rowBytes;
  const uint8_t zeros[4] = {0, 0, 0, 0};
  auto source = [&](uint32_t i) { return raw + (flip ? height - 1 - i : i) * rowBytes; };
  if (convert && bpp != 8) {
    uint8_t* scratch = bmpAlloc(rowBytes + padding);
    bool ok = true;
    for (uint32_t i = 0; i < height && ok; ++i) {
      std::memcpy(scratch, source(i), rowBytes);
      // Every byte of a 4-bit row, also the half-used last one of an odd width.
      if (bpp == 4)
        bmpToRaw(scratch, static_cast<uint32_t>(2 * rowBytes), 4);
      else
        bmpToRaw(scratch, width, bpp);
      ok = writeAll(fp, scratch, pad ? rowBytes + padding : rowBytes);
    }
    std::free(scratch);
    return ok;
  }
  if (flip || (pad && padding != 0)) {
    for (uint32_t i = 0; i < height; ++i) {
      if (!writeAll(fp, source(i), rowBytes)) return false;
      if (pad && !writeAll(fp, zeros, padding)) return false;
    }
    return true;
  }
  return writeAll(fp, raw, rowBytes * height);
}
}  // namespace

int bmpSaveRaw(const char* path, const uint8_t* raw, int32_t width, int32_t height, uint32_t bpp,
               const uint8_t* palette, bool flip, bool pad, bool convert) {
  if (!raw) return 1;
  uint8_t headers[kBmpHeadersSize];
  if (!buildHeaders(headers, width, height, bpp)) return 1;
  if (bmpValidate(headers, headers + kBmpFileHeaderSize, path, stderr) != 0) return 1;
  const uint32_t paletteBytes = 4 * bmpPaletteEntriesFor(bpp);
  uint8_t zeroPalette[kBmpMaxPaletteBytes] = {};
  if (!palette) palette = zeroPalette;
  // An existing picture is replaced only by a complete one.
  FILE* fp = platReplaceOpen(path, "wb");
  if (!fp) return 1;
  bool ok = writeAll(fp, headers, kBmpHeadersSize) && writeAll(fp, palette, paletteBytes) &&
            writeRows(fp, raw, bmpf::absolute(width), bmpf::absolute(height), bpp, flip, pad,
                      convert);
  if (!ok) {
    platReplaceDiscard(fp);
    return 1;
  }
  // A full disk often shows only when the buffer is flushed at the close.
  return platReplaceCommit(fp) ? 0 : 1;
}

void bmpSaveRawE(const char* path, const uint8_t* raw, int32_t width, int32_t height,
                 uint32_t bpp, const uint8_t* palette) {
  if (bmpSaveRaw(path, raw, width, height, bpp, palette, true, true, true) != 0)
    fatal("ERROR: cannot save data as BMP file : %s%s\n", path, outKeptNote());
}

int bmpSaveImage(const BmpImage* image, const char* path) {
  return fileSave(path, image->buffer, image->size) < image->size ? 1 : 0;
}
