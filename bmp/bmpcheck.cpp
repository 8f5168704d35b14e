// Header and buffer checks of a BMP file in memory.

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"

namespace {
using ll = long long;

const char* nameOrEmpty(const char* name) { return name ? name : ""; }

// Comes before the size checks, whose sizes a compression the library cannot
// read would make meaningless. Only an info header of the usual size or more
// has the field; a smaller one is refused by its own check.
Status refuseCompression(const uint8_t* ih, const char* name) {
  if (bmpf::infoSize(ih) < kBmpInfoHeaderSize || bmpf::isReadable(ih)) return Status();
  return failure(
      "ERROR: program limitation : BMP must be uncompressed = BI_RGB = %d, is %lld "
      ": %s\n ",
      0, ll(bmpf::compression(ih)), name);
}

// The pixels must lie inside the file. A run-length encoded file holds fewer
// bytes than its picture, which must fit one buffer of the library once decoded.
Status refuseBitmapSize(const uint8_t* ih, uint64_t offBits, uint64_t bfSize, const char* name) {
  const uint64_t stride = bmpf::stride64(bmpf::absolute(bmpf::width(ih)), bmpf::bitCount(ih));
  const uint64_t bitmapEnd =
      offBits + bmpf::mulSat(stride, bmpf::absolute(bmpf::height(ih)));  // offBits < 2^32
  const bool wrapped = bitmapEnd < offBits;
  if (bmpf::isRle(ih)) {
    if (wrapped || bitmapEnd > kBmpMaxBuffer)
      return failure(
          "ERROR: program limitation : decoded RLE bitmap bigger than %llu bytes : "
          "%llu : %s\n ",
          static_cast<unsigned long long>(kBmpMaxBuffer),
          static_cast<unsigned long long>(wrapped ? UINT64_MAX : bitmapEnd), name);
    return Status();
  }
  if (wrapped || bfSize < bitmapEnd)
    return failure(
        "ERROR: BMP size lower than bitmap offset plus bitmap size : %lld < %llu : %s\n ",
        ll(bfSize), static_cast<unsigned long long>(wrapped ? UINT64_MAX : bitmapEnd), name);
  return Status();
}
}  // namespace

Status bmpValidate(const uint8_t* fh, const uint8_t* ih, const char* name,
                   const Messages& messages) {
  name = nameOrEmpty(name);
  if (Status refused = refuseCompression(ih, name); refused.failed) return refused;
  // All sums are taken in 64 bits: a header with huge fields must not wrap
  // around into sizes that fit the file.
  const uint64_t bfSize = bmpf::fileSize(fh);
  const uint64_t offBits = bmpf::offBits(fh);
  const uint64_t infoSize = bmpf::infoSize(ih);
  const uint64_t headers = kBmpHeadersSize;
  if (bfSize < headers)
    return failure("ERROR: BMP size lower than header size : %lld < %lld : %s\n ", ll(bfSize),
                   ll(headers), name);
  if (bfSize < offBits)
    return failure("ERROR: BMP size lower than bitmap offset : %lld < %lld : %s\n ", ll(bfSize),
                   ll(offBits), name);
  if (offBits < headers)
    return failure("ERROR: BMP bitmap offset lower then header size : %lld < %lld : %s\n ",
                   ll(offBits), ll(headers), name);
  if (bfSize < infoSize + kBmpFileHeaderSize)
    return failure("ERROR: BMP size lower than header size : %lld < %lld : %s\n ", ll(bfSize),
                   ll(infoSize + kBmpFileHeaderSize), name);
  if (infoSize < kBmpInfoHeaderSize)
    return failure("ERROR: BMP infoheader size lower than expected minimum : %lld < %lld : %s\n ",
                   ll(infoSize), ll(kBmpInfoHeaderSize), name);
  if (Status refused = refuseBitmapSize(ih, offBits, bfSize, name); refused.failed) return refused;
  // The palette the file declares (biClrUsed entries when set) must lie inside it.
  const uint64_t paletteEnd = infoSize + kBmpFileHeaderSize + 4ull * bmpf::fileEntries(ih);
  if (bfSize < paletteEnd)
    return failure("ERROR: BMP size lower than expected minimum size : %lld < %lld : %s\n ",
                   ll(bfSize), ll(paletteEnd), name);
  if (bmpf::type(fh) != kBmpMagic)
    report(messages, "WARN: expected '0x%X' at start, got '0x%X' : %s\n ", kBmpMagic,
           bmpf::type(fh), name);
  const uint64_t sizeImage = bmpf::sizeImage(ih);
  if (sizeImage != 0 && offBits + sizeImage > bfSize)
    report(messages,
           "ERROR: BMP size lower than bitmap offset plus bitmap size (biSizeImage) : %lld "
           "< %lld : %s\n ",
           ll(bfSize), ll(offBits + sizeImage), name);
  return Status();
}

Status bmpCheckBuffer(const uint8_t* data, uint32_t size, const char* name,
                      const Messages& messages) {
  name = nameOrEmpty(name);
  if (size < kBmpHeadersSize || !data)
    return failure("ERROR: BMP data size lower than expected header size : %u < %u : %s\n ", size,
                   kBmpHeadersSize, name);
  if (Status refused = refuseCompression(data + kBmpFileHeaderSize, name); refused.failed)
    return refused;
  uint32_t bfSize = bmpf::fileSize(data);
  if (bfSize > size)
    return failure("ERROR: BMP size (bfSize) bigger than actual BMP file size : %u > %u : %s\n ",
                   bfSize, size, name);
  return bmpValidate(data, data + kBmpFileHeaderSize, name, messages);
}
