// The picture libraries in memory, as a caller that walks many files uses
// them: damaged files come back as error values, pictures round-trip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/gnop.h"
#include "graphics/gwh.h"
#include "graphics/map1.h"
#include "graphics/mappictures.h"
#include "tests/graphics/mapbuilder.h"

namespace {
struct Collected {
  std::string text;
  Messages messages{[this](const std::string& line) { text += line; }};
};
}  // namespace

TEST(PicturesInMemory, DamagedFilesAreErrorValues) {
  Collected out;
  Bytes map = buildMap(TestMap()).bytes;
  map.resize(200);
  EXPECT_EQ(mapRead(map, "m.map", out.messages).status.message,
            "ERROR: offset+minsize for YNSC section 416 bigger than file size 200 : m.map\n");
  EXPECT_EQ(gwhRead(Bytes(1039, 0), "a.gwh", out.messages).status.message,
            "ERROR: file data size must be at last 1040 is 1039 : a.gwh\n");
  Bytes gwh(1040 + 6, 0);
  gwh[0] = 3, gwh[4] = 2;
  EXPECT_EQ(gwhFromBmp(gwh, "a.bmp", GwhColours(), out.messages).status.message,
            "ERROR: BMP size (bfSize) bigger than actual BMP file size : 131072 > 1046 : a.bmp\n ");
  GwhFile picture = gwhRead(gwh, "a.gwh", out.messages).value;
  EXPECT_EQ(gwhImportBmp(picture, Bytes(10, 0), "a.bmp", false, out.messages).message,
            "ERROR: BMP data size lower than expected header size : 10 < 54 : a.bmp\n "
            "ERROR: cannot load data from BMP file : a.bmp\n");
  EXPECT_EQ(out.text, "");
}

TEST(PicturesInMemory, GwhExportCreateAndImportKeepThePixels) {
  Collected out;
  Bytes gwh(1040 + 6, 0);
  gwh[0] = 3, gwh[4] = 2;
  for (uint32_t i = 1; i < 256; ++i) gwh[16 + 4 * i] = uint8_t(i), gwh[19 + 4 * i] = 0x80;
  for (uint32_t i = 0; i < 6; ++i) gwh[1040 + i] = uint8_t(i + 1);
  Result<std::vector<uint8_t>> bmp =
      gwhToBmp(gwhRead(gwh, "a.gwh", out.messages).value, GwhColours(), "a.bmp", out.messages);
  ASSERT_TRUE(bmp.ok());
  EXPECT_EQ(bmp.value.size(), 54u + 1024 + 2 * 4);
  EXPECT_EQ(gwhFromBmp(bmp.value, "a.bmp", GwhColours(), out.messages).value, gwh);
  bmp.value[54 + 1024] = 9;  // bottom row first: pixel (0, 1)
  GwhFile picture = gwhRead(gwh, "a.gwh", out.messages).value;
  ASSERT_TRUE(gwhImportBmp(picture, bmp.value, "a.bmp", false, out.messages).ok());
  gwh[1040 + 3] = 9;
  EXPECT_EQ(picture.data, gwh);
  EXPECT_EQ(out.text, "");
}

TEST(PicturesInMemory, MapExportAllAndImportAllRebuildTheFile) {
  Collected out;
  TestMap shape;
  shape.sections[0][0].bitmapCount = 2;
  shape.sections[0][0].paletteCount = 2;
  Bytes bytes = buildMap(shape).bytes;
  MapFile map = mapRead(bytes, "m.map", out.messages).value;
  std::vector<MapPicture> pictures = mapExportAll(map, MapSettings(), out.messages);
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures[0].name, "00_00.bmp");
  EXPECT_EQ(pictures[1].name, "00_01.bmp");
  EXPECT_EQ(pictures[1].bmp.size(), 54u + 1024 + 2 * 4);
  pictures[1].bmp[54 + 1024] = 12;  // bottom row first: pixel (0, 1)
  ASSERT_TRUE(mapImportAll(map, pictures, MapSettings(), out.messages).ok());
  bytes[mapBitmapPixels(map.sections[0].entries[0], 1) + 4] = 12;
  EXPECT_EQ(map.data, bytes);
  EXPECT_EQ(out.text, "");
}

TEST(PicturesInMemory, HeaderlessBitmapToBmpAndBack) {
  Collected out;
  Bytes bitmap(0x10000);  // 256 x 256, 8-bit
  for (size_t i = 0; i < bitmap.size(); ++i) bitmap[i] = uint8_t(i * 7);
  Bytes palettes(0x4000, 0x80);
  GnopExportSettings settings;
  settings.flags = 0x3E;  // "-n": colours as they are
  Result<std::vector<uint8_t>> bmp =
      gnopBitmapToBmp(bitmap, palettes, GnopParams(), settings, 3, 0, "bm", "bm.bmp", out.messages);
  ASSERT_TRUE(bmp.ok());
  EXPECT_EQ(bmp.value.size(), 54u + 1024 + 0x10000);
  EXPECT_EQ(gnopBitmapFromBmp(bmp.value, "bm.bmp", out.messages).value, bitmap);
  EXPECT_EQ(gnopBitmapToBmp(Bytes(5), palettes, GnopParams(), settings, 0, 0, "bm", "bm.bmp",
                            out.messages)
                .status.message,
            "ERROR: unknown bitmap size (5 bytes) : bm\n");
  EXPECT_EQ(out.text, "");
}
