// Run-length encoded 8- and 4-bit BMP pixels, decoded into the layout of an
// uncompressed file so that everything after loading works as for one.
#include <algorithm>
#include <cstring>

#include "bmp/bmp.h"
#include "bmp/bmpfields.h"

namespace {
enum class RleEnd { Done, Outside, Short };

// The picture being filled: rows in file order, each `stride` bytes; 4-bit
// pixels have the left one in the high nibble, as in the file.
struct Canvas {
  uint8_t* pixels;
  uint32_t width, rows, bpp;
  uint64_t stride;
  uint32_t x = 0, y = 0;

  // Some encoders compress whole padded rows: pixels in a row's padding are
  // dropped; false for one past it.
  bool put(uint8_t index) {
    if (y >= rows || x >= stride * 8 / bpp) return false;
    if (x >= width) {
      ++x;
      return true;
    }
    uint8_t* row = pixels + y * stride;
    if (bpp == 8)
      row[x] = index;
    else
      row[x / 2] |= static_cast<uint8_t>(x & 1 ? index & 0x0F : index << 4);
    ++x;
    return true;
  }
};

// Pixel i of 4-bit pixels packed two to a byte, the first in the high nibble.
uint8_t nibble(uint8_t pair, uint32_t i) { return i & 1 ? pair & 0x0F : pair >> 4; }

// Code pairs: (n > 0, value) repeats value n times (a 4-bit value holds two
// alternating pixels); (0, 0) ends the row, (0, 1) the picture, (0, 2, dx,
// dy) moves on; (0, n >= 3) is followed by n literal pixels padded to an
// even number of bytes. *at ends on the pair that went wrong.
RleEnd decode(const uint8_t* data, uint32_t size, Canvas& c, uint32_t* at) {
  auto has = [&](uint32_t n) { return size - *at >= n; };
  while (c.y < c.rows) {
    if (!has(2)) return RleEnd::Short;
    const uint8_t count = data[*at], value = data[*at + 1];
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i)
        if (!c.put(c.bpp == 8 ? value : nibble(value, i))) return RleEnd::Outside;
      *at += 2;
      continue;
    }
    if (value == 0) {
      c.x = 0;
      ++c.y;
    } else if (value == 1) {
      return RleEnd::Done;
    } else if (value == 2) {
      if (!has(4)) return RleEnd::Short;
      // Past the padding every pixel is refused anyway; held there, x cannot wrap.
      c.x = static_cast<uint32_t>(std::min<uint64_t>(c.x + data[*at + 2], c.stride * 8 / c.bpp));
      c.y += data[*at + 3];
      *at += 2;
    } else {
      const uint32_t bytes = c.bpp == 8 ? value : (value + 1u) / 2;
      if (!has(2 + bytes)) return RleEnd::Short;
      const uint8_t* literal = data + *at + 2;
      for (uint32_t i = 0; i < value; ++i)
        if (!c.put(c.bpp == 8 ? literal[i] : nibble(literal[i / 2], i))) return RleEnd::Outside;
      *at += std::min(bytes + (bytes & 1), size - *at - 2);
    }
    *at += 2;
  }
  return RleEnd::Done;
}
}  // namespace

Status bmpDecodeRle(BmpImage& image) {
  const uint8_t* fh = image.bytes.data();
  const uint8_t* ih = fh + kBmpFileHeaderSize;
  const uint32_t offBits = bmpf::offBits(fh);
  Canvas c{nullptr, bmpf::absolute(bmpf::width(ih)), bmpf::absolute(bmpf::height(ih)),
           bmpf::bitCount(ih), 0};
  c.stride = bmpf::stride64(c.width, c.bpp);
  const uint64_t bitmap = c.stride * c.rows;  // the check kept it below kBmpMaxBuffer
  const uint64_t paletteEnd =
      kBmpFileHeaderSize + static_cast<uint64_t>(bmpf::infoSize(ih)) + 4 * bmpf::fileEntries(ih);
  const uint64_t size = std::max(offBits + bitmap, paletteEnd);
  std::vector<uint8_t> out;
  if (Status allocated = bmpAllocate(out, size); allocated.failed) return allocated;
  std::memcpy(out.data(), fh, offBits);
  c.pixels = out.data() + offBits;
  uint32_t at = 0;
  RleEnd end = decode(fh + offBits, bmpf::fileSize(fh) - offBits, c, &at);
  const char* name = image.name.c_str();
  if (end == RleEnd::Outside)
    return failure("ERROR: BMP RLE data puts pixels outside the bitmap at offset %u : %s\n ",
                   offBits + at, name);
  if (end == RleEnd::Short)
    return failure("ERROR: BMP RLE data ends before the end of the bitmap : %s\n ", name);
  wr32(out.data() + 2, static_cast<uint32_t>(size));
  wr32(out.data() + kBmpFileHeaderSize + 16, bmpf::kRgb);
  wr32(out.data() + kBmpFileHeaderSize + 20, static_cast<uint32_t>(bitmap));
  image.bytes = std::move(out);
  return Status();
}
