#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/bytes.h"

namespace {
// BMP headers as the tools write them.
Bytes bmpHeader(uint32_t width, uint32_t height, uint32_t bpp, uint32_t paletteEntries,
                uint32_t pixelBytes) {
  Bytes b(54, 0);
  b[0] = 'B', b[1] = 'M';
  put32(b, 2, 54 + 4 * paletteEntries + pixelBytes);
  put32(b, 10, 54 + 4 * paletteEntries);
  put32(b, 14, 40);
  put32(b, 18, width);
  put32(b, 22, height);
  b[26] = 1, b[28] = static_cast<uint8_t>(bpp);
  return b;
}

// A game palette of 256 entries: entry 0 transparent zero, entry i
// (i, 2i, 255 - i, 0x80), but entry 7 transparent black.
Bytes gamePalette() {
  Bytes p(1024);
  for (uint32_t i = 1; i < 256; ++i) {
    p[4 * i] = static_cast<uint8_t>(i);
    p[4 * i + 1] = static_cast<uint8_t>(2 * i);
    p[4 * i + 2] = static_cast<uint8_t>(255 - i);
    p[4 * i + 3] = 0x80;
  }
  p[28] = p[29] = p[30] = 0, p[31] = 0x20;
  return p;
}

uint32_t swizzled(uint32_t i) {
  if (i % 32 >= 8 && i % 32 < 16) return i + 8;
  if (i % 32 >= 16 && i % 32 < 24) return i - 8;
  return i;
}

// The BMP palette the default export makes of gamePalette().
Bytes exportedPalette() {
  Bytes game = gamePalette();
  Bytes bmp(1024);
  for (uint32_t i = 0; i < 256; ++i) {
    const uint8_t* e = &game[4 * swizzled(i)];
    bmp[4 * i] = e[2], bmp[4 * i + 1] = e[1], bmp[4 * i + 2] = e[0], bmp[4 * i + 3] = e[3];
  }
  bmp[0] = bmp[2] = 255;               // entry 0 magenta
  bmp[4 * 7 + 1] = 2 * (0x80 - 0x20);  // transparent black to green
  return bmp;
}

ToolResult gnop(const TempDir& dir, const std::vector<std::string>& args) {
  return runTool("kvognop", args, dir.path());
}

const std::string kUsageHead = "Usage:\n       kvognop -e  [-n|-na]";
}  // namespace

TEST(Kvognop, CommandLineMessages) {
  TempDir dir;
  ToolResult none = gnop(dir, {});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, "");
  EXPECT_EQ(none.out.rfind(kUsageHead, 0), 0u);
  EXPECT_EQ(none.out.substr(none.out.size() - 18), "\nVersion 20141122\n");
  ToolResult help = gnop(dir, {"-?"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, none.out);
  ToolResult noMode = gnop(dir, {"-q", "-p", "-pq", "-pb"});
  EXPECT_EQ(noMode.status, 1);
  EXPECT_EQ(noMode.err,
            "ERROR: unknown option -q\nERROR: expected one of mode ([e|a|c]) parameters\n\n");
  EXPECT_EQ(noMode.out, none.out);

  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"-c"}, "ERROR: '-c' : expected BMPFILE parameter\n"},
      {{"-c", "a.bmp"}, "ERROR: '-c' : expected BITMAP parameter\n"},
      {{"-i", "0"}, "ERROR: '-i' : expected BITMAP parameter\n"},
      {{"-i", "0x10", "b"}, "ERROR: '-i' : expected BMPFILE parameter\n"},
      {{"-m"}, "ERROR: '-m' : expected BITMAP parameter\n"},
      {{"-m", "b"}, "ERROR: '-m' : expected BMPFILE parameter\n"},
      {{"-m", "b", "a.bmp"}, "ERROR: '-m' : expected BMPMASK parameter\n"},
      {{"-e"}, "ERROR: expected BITMAP parameter\n"},
      {{"-a3", "b"}, "ERROR: expected PALETTE parameter\n"},
      {{"-e", "b", "p"}, "ERROR: expected BMPFILE parameter\n"},
      {{"-e", "b", "p", "o.bmp"}, "ERROR: file not exist or read error occurred : b\n"},
      {{"-ex", "b", "p", "o.bmp"}, "ERROR: strtol: string not number : str = 'x'\n"},
  };
  for (const Case& c : cases) {
    ToolResult r = gnop(dir, c.args);
    EXPECT_EQ(r.status, 1) << c.args[0];
    EXPECT_EQ(r.err, c.err);
  }
}

TEST(Kvognop, ExportsEightBitPictures) {
  TempDir dir;
  Bytes bitmap = {1, 2, 3, 4, 5, 6, 7, 8, 0xF0, 0xF1};  // a 3 x 3 picture after one byte
  writeBytes(dir.file("bm"), bitmap);
  Bytes palettes = gamePalette();
  writeBytes(dir.file("pal"), palettes);
  ToolResult r = gnop(dir, {"-e", "-pb", "3,3,8,1", "bm", "pal", "o.bmp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  Bytes expected = bmpHeader(3, 3, 8, 256, 12);
  Bytes pal = exportedPalette();
  expected.insert(expected.end(), pal.begin(), pal.end());
  for (const Bytes& row : {Bytes{8, 0xF0, 0xF1, 0}, Bytes{5, 6, 7, 0}, Bytes{2, 3, 4, 0}})
    expected.insert(expected.end(), row.begin(), row.end());
  EXPECT_EQ(readBytes(dir.file("o.bmp")), expected);

  // "-sb" turns a zero entry 1 green, "-na" leaves transparent black black.
  Bytes second = gamePalette();
  std::fill(second.begin() + 4, second.begin() + 8, 0);
  writeBytes(dir.file("second"), second);
  ToolResult sb = gnop(dir, {"-e", "-sb", "-NA", "-pb", "1,1,8", "bm", "second", "s.bmp"});
  EXPECT_EQ(sb.status, 0);
  Bytes marked = readBytes(dir.file("s.bmp"));
  EXPECT_EQ(Bytes(marked.begin() + 54, marked.begin() + 54 + 8),
            Bytes({255, 0, 255, 0, 0, 255, 0, 0}));
  EXPECT_EQ(Bytes(marked.begin() + 54 + 28, marked.begin() + 54 + 32), Bytes({0, 0, 0, 0x20}));

  // 32 bits: the BMP palette looked up, alpha doubled, no palette.
  ToolResult t4 = gnop(dir, {"-e", "-t4", "-pb", "2,1,8,6", "bm", "pal", "t.bmp"});
  EXPECT_EQ(t4.status, 0);
  Bytes wide = bmpHeader(2, 1, 32, 0, 8);
  wide.insert(wide.end(), {pal[4 * 7], pal[4 * 7 + 1], pal[4 * 7 + 2], 0x40});
  wide.insert(wide.end(), {pal[4 * 8], pal[4 * 8 + 1], pal[4 * 8 + 2], 0xFF});
  EXPECT_EQ(readBytes(dir.file("t.bmp")), wide);

  // Alpha over magenta: (200, 100, 50) at alpha 0x40 becomes (227, 50, 152).
  Bytes blend = gamePalette();
  blend[4 * 9] = 200, blend[4 * 9 + 1] = 100, blend[4 * 9 + 2] = 50, blend[4 * 9 + 3] = 0x40;
  writeBytes(dir.file("blend"), blend);
  ToolResult ta =
      gnop(dir, {"-e", "-ta255,0,255", "-pb", "1,1,8", "-pp", "0,16,16,1", "bm", "blend", "a.bmp"});
  EXPECT_EQ(ta.status, 0);
  Bytes over = readBytes(dir.file("a.bmp"));
  ASSERT_EQ(over.size(), 54u + 1024 + 4);
  EXPECT_EQ(Bytes(over.begin() + 54 + 36, over.begin() + 54 + 40), Bytes({152, 50, 227, 0x40}));
  // Normal alpha: 255 steps, every entry blended; black gets green 255 - alpha.
  ToolResult normal =
      gnop(dir, {"-e", "-ta", "-pb", "1,1,8", "-pp", "0,16,16,1,1", "bm", "blend", "n.bmp"});
  EXPECT_EQ(normal.status, 0);
  Bytes n = readBytes(dir.file("n.bmp"));
  EXPECT_EQ(Bytes(n.begin() + 54 + 36, n.begin() + 54 + 40), Bytes({12, 25, 50, 0x40}));
  EXPECT_EQ(Bytes(n.begin() + 54 + 28, n.begin() + 54 + 32), Bytes({0, 255 - 0x20, 0, 0x20}));
}

TEST(Kvognop, ExportsFourBitPicturesWithSubPalettes) {
  TempDir dir;
  Bytes bitmap(0x4000);  // 256 x 128, 4 bits
  for (size_t i = 0; i < bitmap.size(); ++i) bitmap[i] = static_cast<uint8_t>(i * 7);
  writeBytes(dir.file("bm"), bitmap);
  Bytes multi(0x4000);  // 64 x 64 entries: 16 palettes of 16 x 16
  for (size_t i = 0; i < multi.size(); i += 4) {
    uint32_t entry = static_cast<uint32_t>(i / 4);
    multi[i] = static_cast<uint8_t>(entry % 64), multi[i + 1] = static_cast<uint8_t>(entry / 64);
    multi[i + 2] = 1, multi[i + 3] = 0x80;
  }
  writeBytes(dir.file("multi"), multi);
  ToolResult r = gnop(dir, {"-e5,2", "-n", "bm", "multi", "o.bmp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  Bytes out = readBytes(dir.file("o.bmp"));
  ASSERT_EQ(out.size(), 54u + 64 + 128 * 128);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 54), bmpHeader(256, 128, 4, 16, 128 * 128));
  // Palette 5 is the tile in column 1, row 1 (picture rows 16 to 31). Its
  // row 2 after the block exchange: entries 32-39 from tile row 2, entries
  // 40-47 from the first half of tile row 3.
  for (uint32_t i = 0; i < 16; ++i) {
    Bytes entry = i < 8 ? Bytes({1, 18, static_cast<uint8_t>(16 + i), 0x80})
                        : Bytes({1, 19, static_cast<uint8_t>(8 + i), 0x80});
    EXPECT_EQ(Bytes(out.begin() + 54 + 4 * i, out.begin() + 58 + 4 * i), entry) << i;
  }
  // The last raw row is the first in the file, nibbles in BMP order.
  uint8_t raw = bitmap[127 * 128];
  EXPECT_EQ(out[54 + 64], static_cast<uint8_t>((raw >> 4) | (raw << 4)));

  // "-a": every palette with each of its 16 rows.
  ToolResult all = gnop(dir, {"-a", "-n", "bm", "multi", "p"});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(readBytes(dir.file("p_05x02.bmp")), out);
  EXPECT_TRUE(fileExists(dir.file("p_00x00.bmp")));
  EXPECT_TRUE(fileExists(dir.file("p_15x15.bmp")));
  EXPECT_FALSE(fileExists(dir.file("p_16x00.bmp")));
  ToolResult beyond = gnop(dir, {"-a16", "bm", "multi", "q"});
  EXPECT_EQ(beyond.status, 0);
  EXPECT_EQ(beyond.err, "");
  EXPECT_FALSE(fileExists(dir.file("q_00x00.bmp")));
  ToolResult only = gnop(dir, {"-a15", "bm", "multi", "q"});
  EXPECT_EQ(only.status, 0);
  EXPECT_TRUE(fileExists(dir.file("q_15x00.bmp")));
  EXPECT_FALSE(fileExists(dir.file("q_14x00.bmp")));
}

TEST(Kvognop, ExportsAllPalettesOfEightBitPictures) {
  TempDir dir;
  writeBytes(dir.file("bm"), Bytes(0x8000, 1));
  Bytes palettes = gamePalette();
  palettes.insert(palettes.end(), palettes.begin(), palettes.end());
  writeBytes(dir.file("pal"), palettes);  // 2048 bytes: two palettes
  ToolResult all = gnop(dir, {"-a", "bm", "pal", "x"});
  EXPECT_EQ(all.status, 0);
  EXPECT_TRUE(fileExists(dir.file("x_000.bmp")));
  EXPECT_TRUE(fileExists(dir.file("x_001.bmp")));
  EXPECT_FALSE(fileExists(dir.file("x_002.bmp")));
  ToolResult warn = gnop(dir, {"-e9", "bm", "pal", "w.bmp"});
  EXPECT_EQ(warn.status, 0);
  EXPECT_EQ(warn.err, "WARN: not valid index (9) for multipalette, set to 0 : bm\n");
  EXPECT_EQ(readBytes(dir.file("w.bmp")), readBytes(dir.file("x_000.bmp")));
  // A palette offset that leaves less than one palette is refused.
  ToolResult cut = gnop(dir, {"-e", "-pp", "0x700", "bm", "pal", "c.bmp"});
  EXPECT_EQ(cut.status, 1);
  EXPECT_EQ(cut.err, "ERROR: palette geometry 16x16 holds no 16x16 palette : bm\n");
  EXPECT_FALSE(fileExists(dir.file("c.bmp")));
  ToolResult t4 = gnop(dir, {"-e", "-t", "-pb", "4,4,24", "bm", "pal", "d.bmp"});
  EXPECT_EQ(t4.status, 1);
  EXPECT_EQ(t4.err, "ERROR: conversion from 24-bit to 32-bit not supported : bm");
}

TEST(Kvognop, CreatesImportsAndMerges) {
  TempDir dir;
  // A 4 x 2 picture exported from a 16-byte bitmap, then written back.
  Bytes bitmap = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  writeBytes(dir.file("bm"), bitmap);
  writeBytes(dir.file("pal"), gamePalette());
  ASSERT_EQ(gnop(dir, {"-e", "-pb", "4,2,8,8", "bm", "pal", "part.bmp"}).status, 0);
  ToolResult create = gnop(dir, {"-c", "part.bmp", "new"});
  EXPECT_EQ(create.status, 0);
  EXPECT_EQ(readBytes(dir.file("new")), Bytes(bitmap.begin() + 8, bitmap.end()));

  ToolResult into = gnop(dir, {"-i", "0x2", "bm", "part.bmp", "copy"});
  EXPECT_EQ(into.status, 0);
  EXPECT_EQ(into.err, "");
  EXPECT_EQ(readBytes(dir.file("copy")),
            Bytes({0, 1, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(readBytes(dir.file("bm")), bitmap);
  // Beyond the end the file grows; OUTNAME may be BITMAP itself.
  ToolResult grow = gnop(dir, {"-i", "20", "bm", "part.bmp", "bm"});
  EXPECT_EQ(grow.status, 0);
  Bytes grown = bitmap;
  grown.resize(20, 0);
  grown.insert(grown.end(), bitmap.begin() + 8, bitmap.end());
  EXPECT_EQ(readBytes(dir.file("bm")), grown);
  EXPECT_FALSE(fileExists(dir.file("bm.kvotmp")));
  ToolResult inPlace = gnop(dir, {"-i", "0", "new", "part.bmp"});
  EXPECT_EQ(inPlace.status, 0);
  EXPECT_EQ(readBytes(dir.file("new")), Bytes(bitmap.begin() + 8, bitmap.end()));

  // Mask merge: pixels of the BMP where the mask is not 0.
  writeBytes(dir.file("m8"), Bytes(8, 0x55));
  Bytes maskBmp = readBytes(dir.file("part.bmp"));
  for (size_t i = 54 + 1024; i < maskBmp.size(); ++i) maskBmp[i] = (i % 2) ? 1 : 0;
  writeBytes(dir.file("mask.bmp"), maskBmp);
  ToolResult merge = gnop(dir, {"-m", "m8", "part.bmp", "mask.bmp"});
  EXPECT_EQ(merge.status, 0);
  EXPECT_EQ(merge.err, "");
  // Pixels 1 and 3 of each row are masked in.
  EXPECT_EQ(readBytes(dir.file("m8")), Bytes({0x55, 9, 0x55, 11, 0x55, 13, 0x55, 15}));
  ToolResult other = gnop(dir, {"-m", "bm", "part.bmp", "mask.bmp", "out"});
  EXPECT_EQ(other.status, 0);
  EXPECT_EQ(other.err, "ERROR: GNOP/BMP/MASK bitmap size must be same, is 28, 8, 8: bm\n");
  EXPECT_FALSE(fileExists(dir.file("out")));
}
