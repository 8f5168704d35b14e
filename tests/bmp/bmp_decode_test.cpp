// Written BMP files decoded by an independent decoder (ImageMagick), pixel
// by pixel against the colours the writer meant.
#include <gtest/gtest.h>

#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "tests/bmp/bmpbuild.h"

namespace {
// The colour an index stands for in a BMP-order palette.
void addColour(Bytes& out, const uint8_t* bgra) {
  out.insert(out.end(), {bgra[2], bgra[1], bgra[0]});
}

// A palette whose entries all differ in every channel.
Bytes colourfulPalette(uint32_t count) {
  Bytes p;
  for (uint32_t i = 0; i < count; ++i)
    p.insert(p.end(), {uint8_t(17 * i + 3), uint8_t(255 - 7 * i), uint8_t(31 * i + 11), 0x80});
  return p;
}
}  // namespace

TEST(BmpDecode, IndexedPicturesShowTheirPaletteColours) {
  if (!haveDecoder()) GTEST_SKIP() << "ImageMagick convert not installed";
  TempDir dir;
  const uint32_t w = 5, h = 3;
  for (uint32_t bpp : {8u, 4u}) {
    const uint32_t colours = 1u << bpp;
    Bytes pal = colourfulPalette(colours);
    Bytes raw;
    Bytes expected;
    const uint32_t rowBytes = bpp == 8 ? w : (w + 1) / 2;
    for (uint32_t y = 0; y < h; ++y) {
      Bytes row(rowBytes, 0);
      for (uint32_t x = 0; x < w; ++x) {
        uint32_t index = (x * 7 + y * 3) % colours;
        if (bpp == 8)
          row[x] = uint8_t(index);
        else
          row[x / 2] |= uint8_t(x % 2 ? index << 4 : index);  // left pixel low
        addColour(expected, &pal[4 * index]);
      }
      raw.insert(raw.end(), row.begin(), row.end());
    }
    std::string path = dir.file("pic" + std::to_string(bpp) + ".bmp");
    ASSERT_EQ(saveRawBmp(path, raw, w, h, bpp, pal.data()), "");
    EXPECT_EQ(decodeRgb(path), expected) << bpp << "-bit";
  }
}

TEST(BmpDecode, TrueColourAndThirtyTwoBitExport) {
  if (!haveDecoder()) GTEST_SKIP() << "ImageMagick convert not installed";
  TempDir dir;
  const Bytes rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};
  std::string path = dir.file("rgb.bmp");
  ASSERT_EQ(saveRawBmp(path, rgb, 3, 2, 24, nullptr), "");
  EXPECT_EQ(decodeRgb(path), rgb);

  // 8-bit pixels through an opaque palette into a 32-bit picture.
  Bytes pal = colourfulPalette(256);
  const Bytes pixels = {0, 1, 2, 200, 255, 17};
  path = dir.file("t32.bmp");
  Bytes lookup = pal;
  Result<std::vector<uint8_t>> t32 =
      paletteExport32(pixels.data(), 3, 2, 8, lookup.data(), false, "pic", "t32.bmp", Messages());
  ASSERT_TRUE(t32.ok());
  writeBytes(path, t32.value);
  Bytes expected;
  for (uint8_t p : pixels) addColour(expected, &pal[4 * p]);
  EXPECT_EQ(decodeRgb(path), expected);
  Bytes file = readBytes(path);
  EXPECT_EQ(file[54 + 3], 0xFF);  // opaque game alpha doubled
}
