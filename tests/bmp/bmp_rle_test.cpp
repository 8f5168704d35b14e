// Run-length encoded BMPs read to the pixels of the same picture stored
// uncompressed; broken encodings are refused with a message.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "bmp/bmp.h"
#include "tests/bmp/bmpbuild.h"

namespace {
// The palette index of every pixel (rows top-down) and the palette of a file.
struct Loaded {
  Bytes pixels, palette;
  uint32_t width = 0, bpp = 0;
};

Loaded load(const std::string& path) {
  Loaded l;
  Result<BmpRaw> loaded = bmpLoadRaw(path.c_str(), Messages());
  if (!loaded.ok()) return l;
  l.width = loaded.value.width, l.bpp = loaded.value.bpp;
  const uint32_t height = loaded.value.height;
  const uint8_t* raw = loaded.value.pixels.data();
  const uint8_t* palette = loaded.value.palette.data();
  const uint32_t rowBytes = bmpRowBytesFor(l.width, l.bpp);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < l.width; ++x) {
      uint8_t b = raw[y * rowBytes + (l.bpp == 8 ? x : x / 2)];  // 4-bit: left pixel low
      l.pixels.push_back(l.bpp == 8 ? b : x % 2 ? b >> 4 : b & 0x0F);
    }
  l.palette.assign(palette, palette + 4 * (1u << l.bpp));
  return l;
}

// A picture with runs, single pixels and a row of one colour.
BmpLayout picture(uint16_t bpp, int32_t width, int32_t height) {
  BmpLayout s;
  s.width = width;
  s.height = height;
  s.bpp = bpp;
  const uint32_t colours = 1u << bpp;
  for (uint32_t i = 0; i < colours; ++i)
    s.palette.insert(s.palette.end(),
                     {uint8_t(17 * i + 3), uint8_t(255 - 7 * i), uint8_t(31 * i + 11), 0});
  for (int32_t y = 0; y < height; ++y) {
    Bytes row(bpp == 8 ? width : (width + 1) / 2, 0);
    for (int32_t x = 0; x < width; ++x) {
      uint8_t p = uint8_t(y == 1          ? 5
                          : x < width / 2 ? (x / 4 + y) % colours
                                          : (x * 7 + y) % colours);
      row[bpp == 8 ? x : x / 2] |= bpp == 8 || x % 2 ? p : p << 4;  // 4-bit: left pixel high
    }
    s.rows.push_back(row);
  }
  return s;
}

// An RLE file around hand-made encoded data.
Bytes rleFile(uint16_t bpp, int32_t width, int32_t height, const Bytes& data) {
  BmpLayout s = picture(bpp, width, height);
  s.compression = bpp == 8 ? 1 : 2;
  s.rows = {data};
  Bytes file = buildBmp(s);
  file.resize(file.size() - (4 - data.size() % 4) % 4);  // no row padding
  put32(file, 2, static_cast<uint32_t>(file.size()));
  return file;
}
}  // namespace

TEST(BmpRle, ImageMagickRle8ReadsAsTheUncompressedPicture) {
  if (!haveMagick()) GTEST_SKIP() << "ImageMagick not installed";
  TempDir dir;
  for (uint16_t bpp : {8, 4}) {
    const std::string plain = dir.file("plain.bmp"), rle = dir.file("rle.bmp");
    writeBytes(plain, buildBmp(picture(bpp, 601, 5)));  // runs longer than 255
    ASSERT_TRUE(magick("'" + plain + "' -compress RLE BMP3:'" + rle + "'"));
    ASSERT_EQ(get32(readBytes(rle), 30), 1u) << "ImageMagick wrote no RLE8";
    Loaded expected = load(plain), got = load(rle);
    ASSERT_EQ(got.bpp, 8u);
    EXPECT_EQ(got.width, 601u);
    EXPECT_EQ(got.pixels, expected.pixels) << bpp;
    EXPECT_EQ(Bytes(got.palette.begin(), got.palette.begin() + expected.palette.size()),
              expected.palette);
  }
}

// ImageMagick writes no RLE4; it reads hand-made RLE4 and RLE8 files, which
// must give the same colours here as there.
TEST(BmpRle, HandMadeEncodingsReadAsImageMagickReadsThem) {
  TempDir dir;
  struct Case {
    uint16_t bpp;
    Bytes data;
    Bytes pixels;  // top-down
  } cases[] = {
      // Bottom row: run of 5, literal of 3 (one pad byte); EOL. Then a delta
      // of (1, 1) skips into row 2, a run of 2, and the end of the picture.
      {8,
       {5, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 2, 9, 0, 1},
       {0, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 7, 7, 7, 7, 1, 2, 3}},
      // 4-bit: a run alternates two pixels; a literal of 5 takes three bytes
      // and a pad byte.
      {4,
       {3, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 1, 2, 0xAB, 0, 1},
       {0, 0xA, 0xB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 1, 3, 4, 5, 6, 7}},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("h.bmp");
    writeBytes(path, rleFile(c.bpp, 8, 3, c.data));
    Loaded got = load(path);
    ASSERT_EQ(got.bpp, c.bpp);
    EXPECT_EQ(got.pixels, c.pixels) << c.bpp;
    if (!haveMagick()) continue;
    Bytes colours;
    for (uint8_t p : c.pixels)
      colours.insert(colours.end(),
                     {got.palette[4 * p + 2], got.palette[4 * p + 1], got.palette[4 * p]});
    EXPECT_EQ(decodeRgb(path), colours) << c.bpp;
  }
}

TEST(BmpRle, BrokenEncodingsAreRefused) {
  struct Case {
    uint16_t bpp;
    Bytes data;
    std::string message;
  } cases[] = {
      {8, {9, 1}, "ERROR: BMP RLE data puts pixels outside the bitmap at offset 1078 : r.bmp\n "},
      {8,
       {0, 0, 0, 2, 7, 0, 2, 1},
       "ERROR: BMP RLE data puts pixels outside the bitmap at offset 1084 : r.bmp\n "},
      {4,
       {0, 0, 0, 9, 0x12, 0x34, 0x56, 0x78, 0x90, 0},
       "ERROR: BMP RLE data puts pixels outside the bitmap at offset 120 : r.bmp\n "},
      {8, {2, 1, 0}, "ERROR: BMP RLE data ends before the end of the bitmap : r.bmp\n "},
      {8, {0, 5, 1, 2, 3}, "ERROR: BMP RLE data ends before the end of the bitmap : r.bmp\n "},
      {4, {0, 2, 1}, "ERROR: BMP RLE data ends before the end of the bitmap : r.bmp\n "},
  };
  for (const Case& c : cases) {
    Bytes file = rleFile(c.bpp, 8, 2, c.data);
    Result<BmpImage> image = bmpRead(file, "r.bmp", Messages());
    EXPECT_EQ(image.status.message, c.message);
    EXPECT_FALSE(image.ok());
  }
}
