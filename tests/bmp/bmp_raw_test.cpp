#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "bmp/bmp.h"
#include "tests/bmp/bmpbuild.h"

namespace {
struct Loaded {
  Bytes raw;
  uint32_t width = 0, height = 0, bpp = 0;
  Bytes palette;  // the 1024-byte block the loader allocated
};

Loaded loadRaw(const std::string& path) {
  Loaded l;
  Result<BmpRaw> raw = bmpLoadRaw(path.c_str(), Messages());
  EXPECT_TRUE(raw.ok()) << path;
  if (!raw.ok()) return l;
  l.width = raw.value.width, l.height = raw.value.height, l.bpp = raw.value.bpp;
  l.raw = raw.value.pixels;
  if (!raw.value.palette.empty()) {
    l.palette = raw.value.palette;
    l.palette.resize(1024);
  }
  return l;
}

Bytes loadFile(TempDir& dir, const BmpLayout& layout, const Bytes& expectRaw, uint32_t bpp) {
  std::string path = dir.file("in.bmp");
  writeBytes(path, buildBmp(layout));
  Loaded l = loadRaw(path);
  EXPECT_EQ(l.raw, expectRaw);
  EXPECT_EQ(l.bpp, bpp);
  return l.palette;
}
}  // namespace

// Files as image editors write them: larger info headers (the palette
// follows biSize), short palettes, both row orders.
TEST(BmpLoad, EditorFilesLoadToTopDownRaw) {
  TempDir dir;
  for (uint32_t infoSize : {40u, 108u, 124u}) {
    for (bool topDown : {false, true}) {
      BmpLayout s;
      s.width = 3;
      s.height = topDown ? -2 : 2;
      s.infoSize = infoSize;
      s.clrUsed = 4;
      s.palette = rampPalette(4);
      s.rows = topDown ? std::vector<Bytes>{{0, 1, 2}, {3, 2, 1}}
                       : std::vector<Bytes>{{3, 2, 1}, {0, 1, 2}};
      std::string path = dir.file("in.bmp");
      writeBytes(path, buildBmp(s));
      Loaded l = loadRaw(path);
      EXPECT_EQ(l.raw, (Bytes{0, 1, 2, 3, 2, 1})) << infoSize << topDown;
      EXPECT_EQ(l.width, 3u);
      EXPECT_EQ(l.height, 2u);
      Bytes expected = rampPalette(4);
      expected.resize(1024, 0);
      EXPECT_EQ(l.palette, expected) << infoSize << topDown;
    }
  }
}

TEST(BmpLoad, PixelOrderOfEachDepth) {
  TempDir dir;
  BmpLayout s;
  s.width = 4;
  s.height = 1;
  s.bpp = 4;
  s.palette = rampPalette(16);
  s.rows = {{0x12, 0xAB}};
  loadFile(dir, s, {0x21, 0xBA}, 4);
  s.width = 3;  // the last byte of an odd row holds one pixel, in the low nibble
  s.rows = {{0x12, 0x30}};
  loadFile(dir, s, {0x21, 0x03}, 4);
  s = BmpLayout{};
  s.width = 2;
  s.height = 1;
  s.bpp = 24;
  s.rows = {{1, 2, 3, 4, 5, 6}};
  loadFile(dir, s, {3, 2, 1, 6, 5, 4}, 24);
  s.width = 1;
  s.bpp = 32;
  s.rows = {{1, 2, 3, 4}};
  loadFile(dir, s, {3, 2, 1, 4}, 32);
}

TEST(BmpLoad, DepthsWithoutRawFormFail) {
  TempDir dir;
  for (uint16_t bpp : {1, 2, 16}) {
    BmpLayout s;
    s.width = 8;
    s.height = 1;
    s.bpp = bpp;
    s.palette = rampPalette(bpp <= 8 ? 1u << bpp : 0);
    s.rows = {Bytes(bpp, 0)};
    std::string path = dir.file("in.bmp");
    writeBytes(path, buildBmp(s));
    EXPECT_EQ(
        bmpLoadRaw(path.c_str(), Messages()).status.message,
        "ERROR: BMP to RAW : conversion of " + std::to_string(bpp) + "-bit bitmap not supported\n");
  }
}

// However many entries a file declares, a caller's 1024-byte palette buffer
// receives at most 256.
TEST(BmpLoad, OversizedPaletteIsCutTo256Entries) {
  TempDir dir;
  BmpLayout s;
  s.width = 1;
  s.height = 1;
  s.clrUsed = 1000;
  s.palette = rampPalette(256);
  s.rows = {{7}};
  Bytes file = buildBmp(s);
  file.resize(file.size() + 3000, 0xEE);  // room for the declared palette
  put32(file, 2, static_cast<uint32_t>(file.size()));
  std::string path = dir.file("in.bmp");
  writeBytes(path, file);
  Result<BmpImage> image = bmpLoad(path.c_str(), Messages());
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(bmpPaletteEntries(image.value), 256u);
  Result<BmpRaw> raw = bmpLoadRaw(path.c_str(), Messages());
  ASSERT_TRUE(raw.ok());
  EXPECT_EQ(raw.value.pixels[0], 7);
  EXPECT_EQ(raw.value.palette, rampPalette(256));
}

TEST(BmpLoad, UnloadableFiles) {
  TempDir dir;
  std::string missing = dir.file("missing.bmp");
  Result<BmpRaw> unread = bmpLoadRaw(missing.c_str(), Messages());
  EXPECT_TRUE(unread.status.failed);
  EXPECT_EQ(unread.status.message, "");
  std::string bad = dir.file("bad.bmp");
  writeBytes(bad, Bytes(60, 0));
  EXPECT_EQ(bmpLoadRaw(bad.c_str(), Messages()).status.message,
            "ERROR: BMP size lower than header size : 0 < 54 : " + bad + "\n ");
}

TEST(BmpSave, EightBitRowsAreFlippedAndPadded) {
  TempDir dir;
  std::string path = dir.file("out.bmp");
  const Bytes raw = {1, 2, 3, 4, 5, 6};
  const Bytes palette = rampPalette(256);
  EXPECT_EQ(saveRawBmp(path, raw, 3, 2, 8, palette.data()), "");
  BmpLayout s;
  s.width = 3;
  s.height = 2;
  s.palette = palette;
  s.rows = {{4, 5, 6}, {1, 2, 3}};
  EXPECT_EQ(readBytes(path), buildBmp(s));

  // The same picture made in memory is the same file.
  Result<BmpImage> image = bmpCreateFromRaw(3, 2, 8, raw.data(), palette.data(), true);
  ASSERT_TRUE(image.ok());
  std::string again = dir.file("again.bmp");
  EXPECT_TRUE(bmpSaveImage(image.value, again.c_str()).ok());
  EXPECT_EQ(readBytes(again), buildBmp(s));
  EXPECT_EQ(bmpExtractRaw(image.value).value, raw);

  // Without palette the palette is zeros; without flip and pad, rows as given.
  ASSERT_TRUE(
      bmpSaveRaw(path.c_str(), raw.data(), 3, -2, 8, nullptr, false, false, false, Messages())
          .ok());
  Bytes file = readBytes(path);
  ASSERT_EQ(file.size(), 54u + 1024 + 6);
  EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 1078), Bytes(1024, 0));
  EXPECT_EQ(Bytes(file.begin() + 1078, file.end()), raw);
  EXPECT_EQ(get32(file, 22), static_cast<uint32_t>(-2));
}

TEST(BmpSave, ConvertedDepthsRoundTrip) {
  TempDir dir;
  std::string path = dir.file("out.bmp");
  // 24-bit: raw red, green, blue is stored blue, green, red.
  const Bytes rgb = {3, 2, 1, 6, 5, 4};
  EXPECT_EQ(saveRawBmp(path, rgb, 2, 1, 24, nullptr), "");
  Bytes file = readBytes(path);
  EXPECT_EQ(Bytes(file.begin() + 54, file.end()), (Bytes{1, 2, 3, 4, 5, 6, 0, 0}));
  // 4-bit of odd width: the half-used last byte of each row survives.
  const Bytes nibbles = {0x21, 0x03, 0x54, 0x06};
  EXPECT_EQ(saveRawBmp(path, nibbles, 3, 2, 4, rampPalette(16).data()), "");
  file = readBytes(path);
  EXPECT_EQ(Bytes(file.begin() + 118, file.end()), (Bytes{0x45, 0x60, 0, 0, 0x12, 0x30, 0, 0}));
  Loaded l = loadRaw(path);
  EXPECT_EQ(l.raw, nibbles);
}

TEST(BmpSave, UnwritablePathFails) {
  TempDir dir;
  const Bytes raw = {1};
  std::string path = dir.file("no/such/dir.bmp");
  EXPECT_EQ(saveRawBmp(path, raw, 1, 1, 8, nullptr),
            "ERROR: cannot save data as BMP file : " + path + "\n");
}
