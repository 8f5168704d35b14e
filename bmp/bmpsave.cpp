// Raw pictures as the bytes of BMP files, and those bytes written out.
#include <cstring>

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"
#include "common/safeout.h"
#include "platform/replace.h"

namespace {
Status cannotSave(const char* name) {
  return failure("ERROR: cannot save data as BMP file : %s%s\n", name ? name : "", outKeptNote());
}

// The rows of the picture, in file order, from `out` on.
Status writeRows(uint8_t* out, const uint8_t* raw, uint32_t width, uint32_t height, uint32_t bpp,
                 bool flip, bool pad, bool convert) {
  const size_t rowBytes = bmpRowBytesFor(width, bpp);
  const size_t step = pad ? bmpStrideFor(width, bpp) : rowBytes;
  for (uint32_t i = 0; i < height && rowBytes; ++i) {
    uint8_t* row = out + i * step;
    std::memcpy(row, raw + (flip ? height - 1 - i : i) * rowBytes, rowBytes);
    if (!convert || bpp == 8) continue;
    // Every byte of a 4-bit row, also the half-used last one of an odd width.
    Status converted = bpp == 4 ? bmpToRaw(row, static_cast<uint32_t>(2 * rowBytes), 4)
                                : bmpToRaw(row, width, bpp);
    if (converted.failed) return converted;
  }
  return Status();
}
}  // namespace

Result<std::vector<uint8_t>> bmpEncodeRaw(const uint8_t* raw, int32_t width, int32_t height,
                                          uint32_t bpp, const uint8_t* palette, bool flip, bool pad,
                                          bool convert, const char* name,
                                          const Messages& messages) {
  Result<std::vector<uint8_t>> result;
  uint8_t headers[kBmpHeadersSize];
  if (!raw || !bmpWriteHeaders(headers, width, height, bpp)) {
    result.status = cannotSave(name);
    return result;
  }
  if (bmpValidate(headers, headers + kBmpFileHeaderSize, name, messages).failed) {
    result.status = cannotSave(name);
    return result;
  }
  const uint32_t paletteBytes = 4 * bmpPaletteEntriesFor(bpp);
  const uint32_t w = bmpf::absolute(width), h = bmpf::absolute(height);
  const uint64_t rows =
      static_cast<uint64_t>(pad ? bmpStrideFor(w, bpp) : bmpRowBytesFor(w, bpp)) * h;
  result.status = bmpAllocate(result.value, kBmpHeadersSize + paletteBytes + rows);
  if (!result.ok()) return result;
  uint8_t* out = result.value.data();
  std::memcpy(out, headers, kBmpHeadersSize);
  if (palette && paletteBytes) std::memcpy(out + kBmpHeadersSize, palette, paletteBytes);
  result.status =
      writeRows(out + kBmpHeadersSize + paletteBytes, raw, w, h, bpp, flip, pad, convert);
  return result;
}

Status bmpSaveRaw(const char* path, const uint8_t* raw, int32_t width, int32_t height, uint32_t bpp,
                  const uint8_t* palette, bool flip, bool pad, bool convert,
                  const Messages& messages) {
  Result<std::vector<uint8_t>> file =
      bmpEncodeRaw(raw, width, height, bpp, palette, flip, pad, convert, path, messages);
  if (!file.ok()) return file.status;
  // An existing picture is replaced only by a complete one.
  if (!platReplaceSave(path, file.value.data(), file.value.size())) return cannotSave(path);
  return Status();
}

Status bmpSaveImage(const BmpImage& image, const char* path) {
  if (!platReplaceSave(path, image.bytes.data(), image.bytes.size())) return cannotSave(path);
  return Status();
}
