// The BmpImage record: reading, creating, accessors and row handling.
#include <cstring>
#include <new>
#include <utility>

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"
#include "common/fileload.h"

Status bmpAllocate(std::vector<uint8_t>& buffer, uint64_t size) {
  const Status refused =
      failure("ERROR: cannot allocate %u bytes for BMP\n", static_cast<uint32_t>(size));
  if (size > kBmpMaxBuffer) return refused;
  try {
    buffer.assign(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return refused;
  }
  return Status();
}

uint32_t bmpRowBytesFor(uint32_t width, uint32_t bpp) {
  return static_cast<uint32_t>(bmpf::rowBytes64(width, bpp));
}
uint32_t bmpStrideFor(uint32_t width, uint32_t bpp) {
  return static_cast<uint32_t>(bmpf::stride64(width, bpp));
}
uint32_t bmpRawSizeFor(uint32_t width, uint32_t height, uint32_t bpp) {
  return static_cast<uint32_t>(bmpf::rowBytes64(width, bpp) * height);
}
uint32_t bmpBitmapSizeFor(uint32_t width, uint32_t height, uint32_t bpp) {
  return static_cast<uint32_t>(bmpf::stride64(width, bpp) * height);
}
uint32_t bmpPaletteEntriesFor(uint32_t bpp) { return bpp <= 8 ? 1u << bpp : 0; }

namespace {
const uint8_t* infoHeader(const BmpImage& image) { return image.bytes.data() + kBmpFileHeaderSize; }

// Only for bytes that passed the checks.
void setOffsets(BmpImage& image) {
  const uint8_t* ih = infoHeader(image);
  image.paletteAt = bmpf::bitCount(ih) <= 8 ? kBmpFileHeaderSize + bmpf::infoSize(ih) : 0;
  image.pixelsAt = bmpf::offBits(image.bytes.data());
}

uint8_t* pixelsOf(BmpImage& image) { return image.bytes.data() + image.pixelsAt; }
}  // namespace

Result<BmpImage> bmpRead(std::vector<uint8_t> bytes, const char* name, const Messages& messages) {
  Result<BmpImage> result;
  BmpImage& image = result.value;
  image.name = name ? name : "";
  result.status = bmpCheckBuffer(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                 image.name.c_str(), messages);
  if (!result.ok()) return result;
  image.bytes = std::move(bytes);
  if (bmpf::isRle(infoHeader(image))) {
    result.status = bmpDecodeRle(image);
    if (!result.ok()) return result;
  }
  setOffsets(image);
  return result;
}

Result<BmpImage> bmpLoad(const char* path, const Messages& messages) {
  Result<std::vector<uint8_t>> file = loadFile(path, FileWording::Plain);
  if (!file.ok()) return Result<BmpImage>{BmpImage(), failureReported()};
  return bmpRead(std::move(file.value), path, messages);
}

bool bmpWriteHeaders(uint8_t* headers, int32_t width, int32_t height, uint32_t bpp) {
  uint64_t paletteBytes = 4ull * bmpPaletteEntriesFor(bpp);
  uint64_t bitmap =
      bmpf::mulSat(bmpf::stride64(bmpf::absolute(width), bpp), bmpf::absolute(height));
  if (bitmap > kBmpMaxBuffer) return false;
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

Result<BmpImage> bmpCreateFromRaw(int32_t width, int32_t height, uint32_t bpp, const uint8_t* raw,
                                  const uint8_t* palette, bool flip) {
  Result<BmpImage> result;
  BmpImage& image = result.value;
  uint8_t headers[kBmpHeadersSize];
  if (!bmpWriteHeaders(headers, width, height, bpp)) {
    result.status = failure("ERROR: cannot allocate %u bytes for BMP\n", UINT32_MAX);
    return result;
  }
  result.status = bmpAllocate(image.bytes, bmpf::fileSize(headers));
  if (!result.ok()) return result;
  std::memcpy(image.bytes.data(), headers, kBmpHeadersSize);
  setOffsets(image);
  const uint32_t rows = bmpHeightAbs(image);
  const size_t rowBytes = bmpRowBytes(image);
  const size_t stride = bmpStride(image);
  for (uint32_t i = 0; i < rows && rowBytes; ++i) {
    uint32_t from = flip ? rows - 1 - i : i;
    std::memcpy(pixelsOf(image) + i * stride, raw + from * rowBytes, rowBytes);
  }
  if (palette && image.paletteAt)
    std::memcpy(image.bytes.data() + image.paletteAt, palette, bmpPaletteBytes(image));
  return result;
}

int32_t bmpWidth(const BmpImage& image) { return bmpf::width(infoHeader(image)); }
uint32_t bmpWidthAbs(const BmpImage& image) { return bmpf::absolute(bmpWidth(image)); }
int32_t bmpHeight(const BmpImage& image) { return bmpf::height(infoHeader(image)); }
uint32_t bmpHeightAbs(const BmpImage& image) { return bmpf::absolute(bmpHeight(image)); }
uint32_t bmpBpp(const BmpImage& image) { return bmpf::bitCount(infoHeader(image)); }
uint32_t bmpStride(const BmpImage& image) {
  return bmpStrideFor(bmpWidthAbs(image), bmpBpp(image));
}
uint32_t bmpRowBytes(const BmpImage& image) {
  return bmpRowBytesFor(bmpWidthAbs(image), bmpBpp(image));
}
uint32_t bmpBitmapSize(const BmpImage& image) {
  return bmpBitmapSizeFor(bmpWidthAbs(image), bmpHeightAbs(image), bmpBpp(image));
}
uint32_t bmpRawSize(const BmpImage& image) {
  return bmpRawSizeFor(bmpWidthAbs(image), bmpHeightAbs(image), bmpBpp(image));
}
const uint8_t* bmpPalette(const BmpImage& image) {
  return image.paletteAt ? image.bytes.data() + image.paletteAt : nullptr;
}
uint32_t bmpPaletteEntries(const BmpImage& image) {
  return image.paletteAt ? bmpf::fileEntries(infoHeader(image)) : 0;
}
uint32_t bmpPaletteBytes(const BmpImage& image) { return 4 * bmpPaletteEntries(image); }
const uint8_t* bmpPixels(const BmpImage& image) { return image.bytes.data() + image.pixelsAt; }

void bmpMakeTopDown(BmpImage& image) {
  uint8_t* heightField = image.bytes.data() + kBmpFileHeaderSize + 8;
  if (bmpHeight(image) < 0) {
    wr32(heightField, 0u - static_cast<uint32_t>(bmpHeight(image)));
    return;
  }
  uint32_t rows = bmpHeightAbs(image);
  size_t stride = bmpStride(image);
  if (stride == 0) return;  // a 0-bit depth may declare millions of empty rows
  uint8_t* pixels = pixelsOf(image);
  for (uint32_t i = 0; i < rows / 2; ++i)
    std::swap_ranges(pixels + i * stride, pixels + (i + 1) * stride,
                     pixels + (rows - 1 - i) * stride);
}

namespace {
// Raw pixel order for a whole raw array. 4-bit rows of odd width end in a
// byte holding one pixel; every byte is converted so that pixel also sits in
// the low nibble.
Status rawOrder(uint8_t* raw, uint32_t width, uint32_t height, uint32_t bpp) {
  if (bpp == 4) return bmpToRaw(raw, 2 * bmpRawSizeFor(width, height, 4), 4);
  return bmpToRaw(raw, static_cast<uint32_t>(static_cast<uint64_t>(width) * height), bpp);
}
}  // namespace

Result<std::vector<uint8_t>> bmpExtractRaw(const BmpImage& image) {
  Result<std::vector<uint8_t>> result;
  const bool flip = bmpHeight(image) >= 0;
  const uint32_t rows = bmpHeightAbs(image);
  const size_t rowBytes = bmpRowBytes(image);
  const size_t stride = bmpStride(image);
  result.status = bmpAllocate(result.value, bmpRawSize(image));
  if (!result.ok()) return result;
  uint8_t* raw = result.value.data();
  for (uint32_t i = 0; i < rows && rowBytes; ++i) {
    uint32_t to = flip ? rows - 1 - i : i;
    std::memcpy(raw + to * rowBytes, bmpPixels(image) + i * stride, rowBytes);
  }
  result.status = rawOrder(raw, bmpWidthAbs(image), rows, bmpBpp(image));
  return result;
}

Status bmpToRaw(uint8_t* data, uint32_t pixelCount, uint32_t bpp) {
  switch (bpp) {
    case 4:
      for (uint32_t i = 0; i < pixelCount / 2; ++i)
        data[i] = static_cast<uint8_t>((data[i] >> 4) | (data[i] << 4));
      return Status();
    case 8:
      return Status();
    case 24:
    case 32: {
      size_t step = bpp / 8;
      for (size_t i = 0; i < pixelCount; ++i) std::swap(data[i * step], data[i * step + 2]);
      return Status();
    }
    default:
      return failure("ERROR: BMP to RAW : conversion of %u-bit bitmap not supported\n", bpp);
  }
}

Result<BmpRaw> bmpRawFromImage(BmpImage image, bool convert) {
  Result<BmpRaw> result;
  BmpRaw& raw = result.value;
  raw.width = bmpWidthAbs(image);
  raw.height = bmpHeightAbs(image);
  raw.bpp = bmpBpp(image);
  bmpMakeTopDown(image);
  if (const uint8_t* palette = bmpPalette(image))
    raw.palette.assign(palette, palette + bmpPaletteBytes(image));
  const size_t rowBytes = bmpRowBytes(image);
  const size_t stride = bmpStride(image);
  const uint32_t rawSize = bmpRawSize(image);
  uint8_t* buffer = image.bytes.data();
  for (uint32_t i = 0; i < raw.height && rowBytes; ++i)
    std::memmove(buffer + i * rowBytes, pixelsOf(image) + i * stride, rowBytes);
  if (convert) result.status = rawOrder(buffer, raw.width, raw.height, raw.bpp);
  image.bytes.resize(rawSize);
  raw.pixels = std::move(image.bytes);
  return result;
}

Result<BmpRaw> bmpLoadRaw(const char* path, const Messages& messages) {
  Result<BmpImage> image = bmpLoad(path, messages);
  if (!image.ok()) return Result<BmpRaw>{BmpRaw(), image.status};
  return bmpRawFromImage(std::move(image.value), true);
}
