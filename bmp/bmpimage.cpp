// The BmpImage record: wrapping, creating, accessors and row handling.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"
#include "common/fileload.h"
#include "frontend/frontend.h"

uint8_t* bmpAlloc(uint64_t size) {
  void* p = size <= kBmpMaxBuffer ? std::calloc(size ? size : 1, 1) : nullptr;
  if (!p) fatal("ERROR: cannot allocate %u bytes for BMP\n", static_cast<uint32_t>(size));
  return static_cast<uint8_t*>(p);
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

static BmpImage* newRecord(uint8_t* buffer, uint32_t size, const char* name) {
  BmpImage* image = new (std::nothrow) BmpImage;
  if (!image)
    fatal("ERROR: cannot allocate %u bytes for BMP\n", static_cast<uint32_t>(sizeof(BmpImage)));
  image->buffer = buffer;
  image->size = size;
  image->fileHeader = buffer;
  image->infoHeader = buffer ? buffer + kBmpFileHeaderSize : nullptr;
  image->name = name;
  image->stream = stderr;
  return image;
}

// Only for a buffer that passed the checks.
static void setPointers(BmpImage* image) {
  uint32_t infoSize = bmpf::infoSize(image->infoHeader);
  image->palette = bmpf::bitCount(image->infoHeader) <= 8
                       ? image->buffer + kBmpFileHeaderSize + infoSize
                       : nullptr;
  image->pixels = image->buffer + bmpf::offBits(image->fileHeader);
}

BmpImage* bmpFromBuffer(uint8_t* buffer, uint32_t size, const char* name) {
  BmpImage* image = newRecord(buffer, size, name);
  if (bmpCheckBuffer(image) != 0 ||
      (bmpf::isRle(image->infoHeader) && !bmpDecodeRle(image))) {
    bmpFree(image);
    return nullptr;
  }
  setPointers(image);
  return image;
}

BmpImage* bmpFromCopy(const uint8_t* data, uint32_t size, const char* name) {
  uint8_t* copy = bmpAlloc(size);
  if (size) std::memcpy(copy, data, size);
  return bmpFromBuffer(copy, size, name);
}

BmpImage* bmpLoad(const char* path) {
  long size = 0;
  uint8_t* data = fileLoad(path, &size, 0, 0);
  if (!data) return nullptr;
  return bmpFromBuffer(data, static_cast<uint32_t>(size), path);
}

BmpImage* bmpLoadE(const char* path) {
  BmpImage* image = bmpLoad(path);
  if (!image)
    fatal("ERROR: cannot load BMP file to memory : %s : %s\n", std::strerror(errno), path);
  return image;
}

BmpImage* bmpCreate(int32_t width, int32_t height, uint32_t bpp) {
  uint64_t paletteBytes = 4ull * bmpPaletteEntriesFor(bpp);
  uint64_t bitmap = bmpf::mulSat(bmpf::stride64(bmpf::absolute(width), bpp),
                                 bmpf::absolute(height));
  uint64_t size = kBmpHeadersSize + paletteBytes + bitmap;
  if (bitmap > 0x7FFFFFFF) size = UINT64_MAX;  // refused by bmpAlloc
  uint8_t* buffer = bmpAlloc(size);
  uint8_t* fh = buffer;
  uint8_t* ih = buffer + kBmpFileHeaderSize;
  wr16(fh, kBmpMagic);
  wr32(fh + 2, static_cast<uint32_t>(size));
  wr32(fh + 10, static_cast<uint32_t>(kBmpHeadersSize + paletteBytes));
  wr32(ih, kBmpInfoHeaderSize);
  wr32(ih + 4, static_cast<uint32_t>(width));
  wr32(ih + 8, static_cast<uint32_t>(height));
  wr16(ih + 12, 1);
  wr16(ih + 14, bpp);
  BmpImage* image = newRecord(buffer, static_cast<uint32_t>(size), nullptr);
  setPointers(image);
  return image;
}

BmpImage* bmpCreateFromRaw(int32_t width, int32_t height, uint32_t bpp, const uint8_t* raw,
                           const uint8_t* palette, bool flip) {
  BmpImage* image = bmpCreate(width, height, bpp);
  uint32_t rows = bmpHeightAbs(image);
  uint32_t rowBytes = bmpRowBytes(image);
  uint32_t stride = bmpStride(image);
  for (uint32_t i = 0; i < rows && rowBytes; ++i) {
    uint32_t from = flip ? rows - 1 - i : i;
    std::memcpy(image->pixels + static_cast<size_t>(i) * stride,
                raw + static_cast<size_t>(from) * rowBytes, rowBytes);
  }
  if (palette && image->palette) std::memcpy(image->palette, palette, bmpPaletteBytes(image));
  return image;
}

void bmpFree(BmpImage* image) {
  if (!image) return;
  std::free(image->buffer);
  delete image;
}

uint8_t* bmpDetach(BmpImage* image) {
  uint8_t* buffer = image->buffer;
  delete image;
  return buffer;
}

int32_t bmpWidth(const BmpImage* image) { return bmpf::width(image->infoHeader); }
uint32_t bmpWidthAbs(const BmpImage* image) { return bmpf::absolute(bmpWidth(image)); }
int32_t bmpHeight(const BmpImage* image) { return bmpf::height(image->infoHeader); }
uint32_t bmpHeightAbs(const BmpImage* image) { return bmpf::absolute(bmpHeight(image)); }
uint32_t bmpBpp(const BmpImage* image) { return bmpf::bitCount(image->infoHeader); }
uint32_t bmpStride(const BmpImage* image) {
  return bmpStrideFor(bmpWidthAbs(image), bmpBpp(image));
}
uint32_t bmpRowBytes(const BmpImage* image) {
  return bmpRowBytesFor(bmpWidthAbs(image), bmpBpp(image));
}
uint32_t bmpBitmapSize(const BmpImage* image) {
  return bmpBitmapSizeFor(bmpWidthAbs(image), bmpHeightAbs(image), bmpBpp(image));
}
uint32_t bmpRawSize(const BmpImage* image) {
  return bmpRawSizeFor(bmpWidthAbs(image), bmpHeightAbs(image), bmpBpp(image));
}
uint8_t* bmpPalette(const BmpImage* image) { return image->palette; }
uint32_t bmpPaletteEntries(const BmpImage* image) {
  return image->palette ? bmpf::fileEntries(image->infoHeader) : 0;
}
uint32_t bmpPaletteBytes(const BmpImage* image) { return 4 * bmpPaletteEntries(image); }
uint8_t* bmpPixels(const BmpImage* image) { return image->pixels; }
uint8_t* bmpBuffer(const BmpImage* image) { return image->buffer; }
uint32_t bmpSize(const BmpImage* image) { return image->size; }
void bmpNegateHeight(BmpImage* image) {
  wr32(image->infoHeader + 8, 0u - static_cast<uint32_t>(bmpHeight(image)));
}

void bmpMakeTopDown(BmpImage* image) {
  if (bmpHeight(image) < 0) {
    bmpNegateHeight(image);
    return;
  }
  uint32_t rows = bmpHeightAbs(image);
  size_t stride = bmpStride(image);
  if (stride == 0) return;  // a 0-bit depth may declare millions of empty rows
  for (uint32_t i = 0; i < rows / 2; ++i) {
    uint8_t* a = image->pixels + i * stride;
    uint8_t* b = image->pixels + (rows - 1 - i) * stride;
    for (size_t k = 0; k < stride; ++k) {
      uint8_t t = a[k];
      a[k] = b[k];
      b[k] = t;
    }
  }
}

// Raw pixel order for a whole raw array. 4-bit rows of odd width end in a
// byte holding one pixel; every byte is converted so that pixel also sits in
// the low nibble.
static void rawOrder(uint8_t* raw, uint32_t width, uint32_t height, uint32_t bpp) {
  if (bpp == 4) {
    bmpToRaw(raw, 2 * bmpRawSizeFor(width, height, 4), 4);
    return;
  }
  bmpToRaw(raw, static_cast<uint32_t>(static_cast<uint64_t>(width) * height), bpp);
}

uint8_t* bmpExtractRaw(const BmpImage* image, bool flip) {
  uint32_t rows = bmpHeightAbs(image);
  size_t rowBytes = bmpRowBytes(image);
  size_t stride = bmpStride(image);
  uint8_t* raw = bmpAlloc(bmpRawSize(image));
  for (uint32_t i = 0; i < rows && rowBytes; ++i) {
    uint32_t to = flip ? rows - 1 - i : i;
    std::memcpy(raw + to * rowBytes, image->pixels + i * stride, rowBytes);
  }
  rawOrder(raw, bmpWidthAbs(image), rows, bmpBpp(image));
  return raw;
}

uint8_t* bmpExtractRawAuto(const BmpImage* image) {
  return bmpExtractRaw(image, bmpHeight(image) >= 0);
}

void bmpToRaw(uint8_t* data, uint32_t pixelCount, uint32_t bpp) {
  switch (bpp) {
    case 4:
      for (uint32_t i = 0; i < pixelCount / 2; ++i)
        data[i] = static_cast<uint8_t>((data[i] >> 4) | (data[i] << 4));
      return;
    case 8:
      return;
    case 24:
    case 32: {
      size_t step = bpp / 8;
      for (size_t i = 0; i < pixelCount; ++i) {
        uint8_t* p = data + i * step;
        uint8_t t = p[0];
        p[0] = p[2];
        p[2] = t;
      }
      return;
    }
    default:
      fatal("ERROR: BMP to RAW : conversion of %u-bit bitmap not supported\n", bpp);
  }
}

uint8_t* bmpRawFromImage(BmpImage* image, uint32_t* width, uint32_t* height, uint32_t* bpp,
                         uint8_t** palette, bool convert) {
  *width = bmpWidthAbs(image);
  *height = bmpHeightAbs(image);
  *bpp = bmpBpp(image);
  bmpMakeTopDown(image);
  if (palette && image->palette) {
    uint32_t bytes = bmpPaletteBytes(image);  // at most 1024
    if (!*palette) *palette = bmpAlloc(kBmpMaxPaletteBytes);
    std::memcpy(*palette, image->palette, bytes);
  }
  size_t rowBytes = bmpRowBytes(image);
  size_t stride = bmpStride(image);
  uint32_t rawSize = bmpRawSize(image);
  uint8_t* buffer = image->buffer;
  for (uint32_t i = 0; i < *height && rowBytes; ++i)
    std::memmove(buffer + i * rowBytes, image->pixels + i * stride, rowBytes);
  if (convert) rawOrder(buffer, *width, *height, *bpp);
  bmpDetach(image);
  if (rawSize != 0) {
    uint8_t* shrunk = static_cast<uint8_t*>(std::realloc(buffer, rawSize));
    if (shrunk) buffer = shrunk;
  }
  return buffer;
}

uint8_t* bmpLoadRaw(const char* path, uint32_t* width, uint32_t* height, uint32_t* bpp,
                    uint8_t** palette) {
  BmpImage* image = bmpLoad(path);
  if (!image) return nullptr;
  return bmpRawFromImage(image, width, height, bpp, palette, true);
}

uint8_t* bmpLoadRawE(const char* path, uint32_t* width, uint32_t* height, uint32_t* bpp) {
  uint8_t* raw = bmpLoadRaw(path, width, height, bpp, nullptr);
  if (!raw) fatal("ERROR: cannot load data from BMP file : %s\n", path);
  return raw;
}
