#include "graphics/gnop.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/support/testsupport.h"

namespace {
struct Checked {
  bool ok;
  std::string err;
  GnopFile gnop;
};

Checked check(const Bytes& bitmap, const Bytes& palette, const GnopParams& params) {
  Checked c;
  Status status = gnopCheck(bitmap.data(), static_cast<uint32_t>(bitmap.size()), palette.data(),
                            static_cast<uint32_t>(palette.size()), params, "pic", &c.gnop);
  c.ok = status.ok();
  c.err = status.message;
  return c;
}

// Warnings printed where the program prints them.
const Messages kToStderr{[](const std::string& line) { std::fputs(line.c_str(), stderr); }};

GnopParams bitmapParams(const char* text) {
  GnopParams p;
  gnopParseBitmapParams(text, &p);
  return p;
}

GnopParams paletteParams(const char* text) {
  GnopParams p;
  gnopParsePaletteParams(text, &p);
  return p;
}
}  // namespace

TEST(GnopGeometry, FirstByteTellsTheTwo32KiBPictures) {
  uint32_t w = 0, h = 0, bpp = 0;
  ASSERT_TRUE(gnopDetectSize(0x8000, 0, &w, &h, &bpp));
  EXPECT_EQ(std::make_tuple(w, h, bpp), std::make_tuple(512u, 128u, 4u));
  ASSERT_TRUE(gnopDetectSize(0x8000, 1, &w, &h, &bpp));
  EXPECT_EQ(std::make_tuple(w, h, bpp), std::make_tuple(256u, 128u, 8u));
  EXPECT_FALSE(gnopDetectSize(0x4001, 0, &w, &h, &bpp));
}

TEST(GnopGeometry, ReadsParameterBlocks) {
  GnopParams b = bitmapParams("256,0x80;8,0x10");
  EXPECT_TRUE(b.given);
  EXPECT_EQ(b.width, 256u);
  EXPECT_EQ(b.height, 128u);
  EXPECT_EQ(b.bpp, 8u);
  EXPECT_EQ(b.bitmapOffset, 16u);
  GnopParams shortB = bitmapParams("12,34,");
  EXPECT_EQ(shortB.height, 34u);
  EXPECT_EQ(shortB.bpp, 0u);
  GnopParams p = paletteParams("0x400,64,32,1,1,99");
  EXPECT_EQ(p.paletteOffset, 0x400u);
  EXPECT_EQ(p.paletteWidth, 64u);
  EXPECT_EQ(p.paletteHeight, 32u);
  EXPECT_EQ(p.noSwapColor, 1u);
  EXPECT_EQ(p.normalAlpha, 1u);
  GnopParams bad;
  EXPECT_EQ(gnopParseBitmapParams("256,,8", &bad).message,
            "ERROR: strtol: string not number : str = ',8'\n");
}

TEST(GnopGeometry, ChecksWithTheirMessages) {
  Bytes bitmap(0x8000, 1);
  Bytes palette(0x4000, 0);
  Checked good = check(bitmap, palette, GnopParams());
  ASSERT_TRUE(good.ok);
  EXPECT_EQ(good.gnop.width, 256u);
  EXPECT_EQ(good.gnop.bpp, 8u);
  EXPECT_EQ(good.gnop.bitmapSize, 0x8000u);
  EXPECT_EQ(good.gnop.paletteWidth, 64u);
  EXPECT_EQ(good.gnop.paletteHeight, 64u);
  EXPECT_EQ(gnopPaletteCount(&good.gnop), 16u);

  struct Case {
    Bytes bitmap, palette;
    GnopParams params;
    std::string err;
  } cases[] = {
      {bitmap, Bytes(1023), GnopParams(),
       "ERROR: palette size expected minimum 1024 is 1023 : pic\n"},
      {bitmap, palette, bitmapParams("0,0,0,0x8000"),
       "ERROR: bitmap offset (0x8000) bigger or equal memory size (0x8000) : pic\n"},
      {bitmap, palette, paletteParams("0x4000"),
       "ERROR: palette offset (0x4000) bigger or equal memory size  (0x4000) : pic\n"},
      {Bytes(100), palette, GnopParams(), "ERROR: unknown bitmap size (100 bytes) : pic\n"},
      // Width and height without bpp still use the table.
      {Bytes(100), palette, bitmapParams("10,10"),
       "ERROR: unknown bitmap size (100 bytes) : pic\n"},
      {bitmap, palette, bitmapParams("256,128,8,1"),
       "ERROR: bitmap offset (0x1) + bitmapsize (0x8000) bigger than memory (0x8000) : pic\n"},
      // Sizes that do not fit 32 bits are not wrapped into small ones.
      {bitmap, palette, bitmapParams("0x10000000,0x10000000,8"),
       "ERROR: bitmap offset (0x0) + bitmapsize (0x100000000000000) bigger than memory (0x8000) : pic\n"},
      {bitmap, palette, paletteParams("0x100,64,64"),
       "ERROR: palette offset (0x100) + palettesize (0x4000) bigger than memory (0x4000) : pic\n"},
      {bitmap, palette, paletteParams("0,0x10000,0x10000"),
       "ERROR: palette offset (0x0) + palettesize (0x400000000) bigger than memory (0x4000) : pic\n"},
      // Too few bytes after the offset for one 16 x 16 tile.
      {bitmap, palette, paletteParams("0x3F00"),
       "ERROR: palette geometry 16x16 holds no 16x16 palette : pic\n"},
      {bitmap, palette, paletteParams("0,8,32"),
       "ERROR: palette geometry 8x32 holds no 16x16 palette : pic\n"},
  };
  for (const Case& c : cases) {
    Checked r = check(c.bitmap, c.palette, c.params);
    EXPECT_FALSE(r.ok) << c.err;
    EXPECT_EQ(r.err, c.err);
  }
  // Given width, height and bpp skip the table on a file of any size.
  Checked given = check(Bytes(0x10001), palette, bitmapParams("256,256,8"));
  EXPECT_TRUE(given.ok);
  EXPECT_EQ(given.gnop.bitmapSize, 0x10000u);
}

TEST(GnopPalettes, SelectsTilesOfTheMultiPalette) {
  Bytes palette(0x4000);
  for (size_t i = 0; i < palette.size(); i += 4) {
    uint32_t entry = static_cast<uint32_t>(i / 4);
    palette[i] = static_cast<uint8_t>(entry % 64);      // column
    palette[i + 1] = static_cast<uint8_t>(entry / 64);  // row
  }
  Checked r = check(Bytes(0x8000, 1), palette, paletteParams("0,0,0,1"));  // not swizzled
  ASSERT_TRUE(r.ok);
  gnopSelectPalette(&r.gnop, 5, kToStderr);  // column 1, row 1 of 4 x 4 tiles
  EXPECT_EQ(r.gnop.palette[0], 16);
  EXPECT_EQ(r.gnop.palette[1], 16);
  EXPECT_EQ(r.gnop.palette[4 * 255], 31);
  EXPECT_EQ(r.gnop.palette[4 * 255 + 1], 31);

  Checked swizzled = check(Bytes(0x8000, 1), palette, GnopParams());
  gnopSelectPalette(&swizzled.gnop, 0, kToStderr);
  EXPECT_EQ(swizzled.gnop.palette[4 * 8 + 1], 1);  // entry 8 from row 1, stored entry 16
  EXPECT_EQ(swizzled.gnop.palette[4 * 16], 8);     // entry 16 from row 0, stored entry 8

  // 4096 bytes: 16 x 64 entries, four palettes stacked; 9 is none of them.
  Bytes four(0x1000);
  for (size_t i = 0; i < four.size(); i += 4) four[i] = static_cast<uint8_t>(i / 1024);
  Checked stacked = check(Bytes(0x8000, 1), four, GnopParams());
  ASSERT_TRUE(stacked.ok);
  EXPECT_EQ(stacked.gnop.paletteWidth, 16u);
  EXPECT_EQ(stacked.gnop.paletteHeight, 64u);
  gnopSelectPalette(&stacked.gnop, 3, kToStderr);
  EXPECT_EQ(stacked.gnop.palette[0], 3);
  testing::internal::CaptureStderr();
  gnopSelectPalette(&stacked.gnop, 9, kToStderr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "WARN: not valid index (9) for multipalette, set to 0 : pic\n");
  EXPECT_EQ(stacked.gnop.palette[0], 0);

  // A height that is not a multiple of 16 counts a palette whose tile is cut
  // off: it is refused like an index out of range.
  Checked cut = check(Bytes(0x8000, 1), four, paletteParams("0,32,24"));
  ASSERT_TRUE(cut.ok);
  EXPECT_EQ(gnopPaletteCount(&cut.gnop), 3u);
  testing::internal::CaptureStderr();
  gnopSelectPalette(&cut.gnop, 2, kToStderr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "WARN: not valid index (2) for multipalette, set to 0 : pic\n");
}
