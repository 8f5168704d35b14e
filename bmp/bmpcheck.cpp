// Header and buffer checks of a BMP file in memory.
#include <cstdarg>

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"

namespace {
using ll = long long;

const char* nameOrEmpty(const char* name) { return name ? name : ""; }

// Every check message ends with a newline and one blank.
int refuse(FILE* stream, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stream, fmt, args);
  va_end(args);
  return 1;
}

// Comes before the size checks, whose sizes a compression the library cannot
// read would make meaningless. Only an info header of the usual size or more
// has the field; a smaller one is refused by its own check.
int refuseCompression(const uint8_t* ih, const char* name, FILE* stream) {
  if (bmpf::infoSize(ih) < kBmpInfoHeaderSize || bmpf::isReadable(ih)) return 0;
  return refuse(stream,
                "ERROR: program limitation : BMP must be uncompressed = BI_RGB = %d, is %lld "
                ": %s\n ",
                0, ll(bmpf::compression(ih)), name);
}

// The pixels must lie inside the file. A run-length encoded file holds fewer
// bytes than its picture, which must fit one buffer of the library once decoded.
int refuseBitmapSize(const uint8_t* ih, uint64_t offBits, uint64_t bfSize, const char* name,
                     FILE* stream) {
  const uint64_t stride = bmpf::stride64(bmpf::absolute(bmpf::width(ih)), bmpf::bitCount(ih));
  const uint64_t bitmapEnd =
      offBits + bmpf::mulSat(stride, bmpf::absolute(bmpf::height(ih)));  // offBits < 2^32
  const bool wrapped = bitmapEnd < offBits;
  if (bmpf::isRle(ih)) {
    if (wrapped || bitmapEnd > kBmpMaxBuffer)
      return refuse(stream,
                    "ERROR: program limitation : decoded RLE bitmap bigger than %llu bytes : "
                    "%llu : %s\n ",
                    static_cast<unsigned long long>(kBmpMaxBuffer),
                    static_cast<unsigned long long>(wrapped ? UINT64_MAX : bitmapEnd), name);
    return 0;
  }
  if (wrapped || bfSize < bitmapEnd)
    return refuse(
        stream, "ERROR: BMP size lower than bitmap offset plus bitmap size : %lld < %llu : %s\n ",
        ll(bfSize), static_cast<unsigned long long>(wrapped ? UINT64_MAX : bitmapEnd), name);
  return 0;
}
}  // namespace

int bmpValidate(const uint8_t* fh, const uint8_t* ih, const char* name, FILE* stream) {
  name = nameOrEmpty(name);
  if (refuseCompression(ih, name, stream)) return 1;
  // All sums are taken in 64 bits: a header with huge fields must not wrap
  // around into sizes that fit the file.
  const uint64_t bfSize = bmpf::fileSize(fh);
  const uint64_t offBits = bmpf::offBits(fh);
  const uint64_t infoSize = bmpf::infoSize(ih);
  const uint64_t headers = kBmpHeadersSize;
  if (bfSize < headers)
    return refuse(stream, "ERROR: BMP size lower than header size : %lld < %lld : %s\n ",
                  ll(bfSize), ll(headers), name);
  if (bfSize < offBits)
    return refuse(stream, "ERROR: BMP size lower than bitmap offset : %lld < %lld : %s\n ",
                  ll(bfSize), ll(offBits), name);
  if (offBits < headers)
    return refuse(stream,
                  "ERROR: BMP bitmap offset lower then header size : %lld < %lld : %s\n ",
                  ll(offBits), ll(headers), name);
  if (bfSize < infoSize + kBmpFileHeaderSize)
    return refuse(stream, "ERROR: BMP size lower than header size : %lld < %lld : %s\n ",
                  ll(bfSize), ll(infoSize + kBmpFileHeaderSize), name);
  if (infoSize < kBmpInfoHeaderSize)
    return refuse(stream,
                  "ERROR: BMP infoheader size lower than expected minimum : %lld < %lld : %s\n ",
                  ll(infoSize), ll(kBmpInfoHeaderSize), name);
  if (refuseBitmapSize(ih, offBits, bfSize, name, stream)) return 1;
  // The palette the file declares (biClrUsed entries when set) must lie inside it.
  const uint64_t paletteEnd = infoSize + kBmpFileHeaderSize + 4ull * bmpf::fileEntries(ih);
  if (bfSize < paletteEnd)
    return refuse(stream,
                  "ERROR: BMP size lower than expected minimum size : %lld < %lld : %s\n ",
                  ll(bfSize), ll(paletteEnd), name);
  if (bmpf::type(fh) != kBmpMagic)
    std::fprintf(stream, "WARN: expected '0x%X' at start, got '0x%X' : %s\n ", kBmpMagic,
                 bmpf::type(fh), name);
  const uint64_t sizeImage = bmpf::sizeImage(ih);
  if (sizeImage != 0 && offBits + sizeImage > bfSize)
    std::fprintf(stream,
                 "ERROR: BMP size lower than bitmap offset plus bitmap size (biSizeImage) : %lld "
                 "< %lld : %s\n ",
                 ll(bfSize), ll(offBits + sizeImage), name);
  return 0;
}

int bmpCheckBuffer(const BmpImage* image) {
  const char* name = nameOrEmpty(image->name);
  FILE* stream = image->stream ? image->stream : stderr;
  if (image->size < kBmpHeadersSize || !image->buffer)
    return refuse(stream, "ERROR: BMP data size lower than expected header size : %u < %u : %s\n ",
                  image->size, kBmpHeadersSize, name);
  if (refuseCompression(image->buffer + kBmpFileHeaderSize, name, stream)) return 1;
  uint32_t bfSize = bmpf::fileSize(image->buffer);
  if (bfSize > image->size)
    return refuse(stream,
                  "ERROR: BMP size (bfSize) bigger than actual BMP file size : %u > %u : %s\n ",
                  bfSize, image->size, name);
  return bmpValidate(image->buffer, image->buffer + kBmpFileHeaderSize, name, stream);
}
