#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/graphics/mapbuilder.h"
#include "tests/support/testsupport.h"

namespace {
const std::string kUsageHead =
    "Extract/import from YNSC sections KVO map graphic file to BMP.\nUsage:\n";

// Two sections: a one-bitmap entry, an entry with a palette per bitmap, an
// entry with four bitmaps and one palette; then an entry with two of each.
TestMap demoShape() {
  TestMap shape;
  TestEntry single;
  TestEntry own;
  own.bitmapCount = 3, own.paletteCount = 3, own.bitmapWidth = 3, own.bitmapHeight = 3;
  own.x = 100, own.y = -20, own.listCount = 5;
  TestEntry shared;
  shared.bitmapCount = 4, shared.bitmapWidth = 2, shared.bitmapHeight = 5;
  TestEntry pair;
  pair.bitmapCount = 2, pair.paletteCount = 2;
  shape.sections = {{single, own, shared}, {pair}};
  return shape;
}

// An 8-bit BMP as the tools write it: bottom-up rows padded to 4 bytes.
Bytes bmp8(uint32_t width, uint32_t height, const Bytes& raw, const Bytes& palette) {
  uint32_t stride = (width + 3) & ~3u;
  Bytes b(54 + 1024 + stride * height, 0);
  uint32_t offBits = 54 + 1024;
  put32(b, 2, offBits + stride * height);
  put32(b, 10, offBits);
  put32(b, 14, 40);
  put32(b, 18, width);
  put32(b, 22, height);
  b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = 8;
  std::copy(palette.begin(), palette.end(), b.begin() + 54);
  for (uint32_t r = 0; r < height; ++r)
    std::copy(raw.begin() + r * width, raw.begin() + (r + 1) * width,
              b.begin() + offBits + (height - 1 - r) * stride);
  return b;
}

// The exported BMP palette of the builder's palette p of entry e with the
// default flags: block order undone, entry 0 magenta, entry 5 green.
Bytes exportedPalette(uint32_t e, uint32_t p) {
  Bytes pal(1024);
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t stored = i;
    if (i % 32 >= 8 && i % 32 < 24) stored = i % 32 < 16 ? i + 8 : i - 8;
    uint8_t rgba[4];
    testPaletteEntry(e, p, stored, rgba);
    if (stored == 0) rgba[0] = 255, rgba[2] = 255;
    if (stored == 5) rgba[1] = 128;
    pal[4 * i] = rgba[2], pal[4 * i + 1] = rgba[1], pal[4 * i + 2] = rgba[0],
            pal[4 * i + 3] = rgba[3];
  }
  return pal;
}

Bytes testPixels(uint32_t e, uint32_t b, uint32_t count) {
  Bytes raw(count);
  for (uint32_t i = 0; i < count; ++i) raw[i] = testPixel(e, b, i);
  return raw;
}

struct MapRun {
  TempDir dir;
  BuiltMap built = buildMap(demoShape());
  MapRun() { writeBytes(dir.file("d.map"), built.bytes); }
  ToolResult run(const std::vector<std::string>& args) {
    return runTool("kvomap", args, dir.path());
  }
};

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}
}  // namespace

TEST(Kvomap, CommandLineMessages) {
  TempDir dir;
  ToolResult none = runTool("kvomap", {}, dir.path());
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, "ERROR: expected at last two parameters parameters\n\n");
  EXPECT_EQ(none.out.rfind(kUsageHead, 0), 0u);
  EXPECT_EQ(none.out.substr(none.out.size() - 18), "\nVersion 20140930\n");

  ToolResult help = runTool("kvomap", {"/H"}, dir.path());
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, none.out);

  ToolResult noMode = runTool("kvomap", {"-x", "-sq", "a.map"}, dir.path());
  EXPECT_EQ(noMode.status, 1);
  EXPECT_EQ(noMode.err,
            "ERROR: unknown option -x\nERROR: expected one of mode (-p|-e|-i) parameters\n\n");

  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"-pg"}, "ERROR: '-p' : expected MAPFILE parameter\n"},
      {{"-e"}, "ERROR: '-e' : expected MAPFILE parameter\n"},
      {{"-e1"}, "ERROR: '-eX' : expected MAPFILE parameter\n"},
      {{"-e1", "a.map"}, "ERROR: '-eX' : expected OUTFILE parameter\n"},
      {{"-ip"}, "ERROR: '-i' : expected MAPFILE parameter\n"},
      {{"-ip1"}, "ERROR: '-iX' : expected MAPFILE parameter\n"},
      {{"-i1", "a.map"}, "ERROR: '-iX' : expected BMPFILE parameter\n"},
      {{"-e", "-o"},
       "ERROR: expected parameter after '-o' parameter\n"
       "ERROR: '-e' : expected MAPFILE parameter\n"},
      {{"-e", "-r", "x"}, "ERROR: invalid range values after '-r' parameter: x\n"},
      {{"-p", "missing.map"}, "ERROR: file not exist or read error occurred : missing.map\n"},
  };
  for (const Case& c : cases) {
    ToolResult r = runTool("kvomap", c.args, dir.path());
    EXPECT_EQ(r.status, 1) << c.args[0];
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
}

TEST(Kvomap, InfoListing) {
  MapRun m;
  // Palettes 1 and 2 of the last entry made equal.
  Bytes& b = m.built.bytes;
  uint32_t e = m.built.entryOffsets[1][0];
  uint32_t pg = e + 160 + 16 + 32 + 2 * 24;
  std::copy(b.begin() + pg + 48 + 16, b.begin() + pg + 48 + 1040, b.begin() + pg + 48 + 1040 + 16);
  writeBytes(m.dir.file("d.map"), b);
  std::string size = std::to_string(b.size());
  char hexSize[16];
  std::snprintf(hexSize, sizeof hexSize, "%zx", b.size());
  std::string expected =
      "filename: d.map\n"
      "fileSize: " +
      size + " (0x" + hexSize +
      ")\n"
      "YNSC sections : 2\n"
      "YNSC 0 :\n"
      "    entry count : 3\n"
      "    entry  0 : draw-width =  32, draw-height =  16, x =  -4, y =   7\n"
      "                bitmaps  =  1, width =   4, height =   2, dataSize = 0x00018\n"
      "                palettes =  1, width =  16, height =  16, dataSize = 0x00410\n"
      "    entry  1 : draw-width =  32, draw-height =  16, x = 100, y = -20\n"
      "                bitmaps  =  3, width =   3, height =   3, dataSize = 0x00019\n"
      "                palettes =  3, width =  16, height =  16, dataSize = 0x00410\n"
      "    entry  2 : draw-width =  32, draw-height =  16, x =  -4, y =   7\n"
      "                bitmaps  =  4, width =   2, height =   5, dataSize = 0x0001A\n"
      "                palettes =  1, width =  16, height =  16, dataSize = 0x00410\n"
      "YNSC 1 :\n"
      "    entry count : 1\n"
      "    entry  0 : draw-width =  32, draw-height =  16, x =  -4, y =   7\n"
      "                bitmaps  =  2, width =   4, height =   2, dataSize = 0x00018\n"
      "                palettes =  2, width =  16, height =  16, dataSize = 0x00410 (all palettes same)\n"
      "\n";
  ToolResult r = m.run({"-p", "d.map"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, expected);
  // An absolute path is a file name, not an option (on Windows "/" begins one).
  if (!checkingWindowsBuild()) {
    std::string absolute = m.dir.file("d.map");
    ToolResult abs = m.run({"-p", absolute});
    EXPECT_EQ(abs.status, 0);
    EXPECT_EQ(abs.out, "filename: " + absolute + expected.substr(expected.find('\n')));
  }
  // Options after MAPFILE are not read: "-n" there names the OUTFILE.
  ToolResult toFile = m.run({"-o", "list.txt", "-p", "d.map", "-n"});
  EXPECT_EQ(toFile.status, 0);
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(readTextOutput(m.dir.file("-n")), expected);
  EXPECT_EQ(m.run({"-o", "list.txt", "-p", "d.map"}).out, "");
  EXPECT_EQ(readTextOutput(m.dir.file("list.txt")), expected);
}

TEST(Kvomap, CommandLinesForBothTools) {
  MapRun m;
  const std::vector<uint32_t>& e0 = m.built.entryOffsets[0];
  char line[200];
  ToolResult pe = m.run({"-pe", "d.map", "out\\d_"});
  EXPECT_EQ(pe.status, 0);
  EXPECT_EQ(pe.err,
            "WARN: expected palette for every bitmap, got less, using first : 1 < 4 : d.map");
  EXPECT_EQ(pe.out,
            "kvomap -e00,00,00,00    d.map  out\\d_0_00.bmp\n"
            "kvomap -e00,01,00,00    d.map  out\\d_0_01_00.bmp\n"
            "kvomap -e00,01,01,01    d.map  out\\d_0_01_01.bmp\n"
            "kvomap -e00,01,02,02    d.map  out\\d_0_01_02.bmp\n"
            "kvomap -e00,02,00,00    d.map  out\\d_0_02_00.bmp\n"
            "kvomap -e00,02,01,00    d.map  out\\d_0_02_01_00.bmp\n"
            "kvomap -e00,02,02,00    d.map  out\\d_0_02_02_00.bmp\n"
            "kvomap -e00,02,03,00    d.map  out\\d_0_02_03_00.bmp\n"
            "kvomap -e01,00,00,00    d.map  out\\d_1_00_00.bmp\n"
            "kvomap -e01,00,01,01    d.map  out\\d_1_00_01.bmp\n");

  ToolResult pg = m.run({"-pg", "d.map"});
  EXPECT_EQ(pg.status, 0);
  std::vector<std::string> lines = splitLines(pg.out);
  ASSERT_EQ(lines.size(), 10u);
  // Entry 1 of section 0: list of 5 values (32 bytes), bitmaps in 25-byte slots.
  uint32_t bitmapGroup = e0[1] + 160 + 32;
  std::snprintf(line, sizeof line,
                "kvognop -e  -pb 003,003,8,0x%06X  -pp 0x%06X,16,16  d.map  d.map  0_01_02.bmp",
                bitmapGroup + 48 + 2 * 25, bitmapGroup + 32 + 3 * 25 + 64 + 2 * 1040);
  EXPECT_EQ(lines[3], line);
  std::snprintf(line, sizeof line,
                "kvognop -e  -pb 004,002,8,0x%06X  -pp 0x%06X,16,16  d.map  d.map  0_00.bmp",
                e0[0] + 176 + 48, e0[0] + 176 + 32 + 24 + 64);
  EXPECT_EQ(lines[0], line);
}

// Every printed kvognop line gives the same BMP as kvomap's own export, also
// with alpha applied and 32-bit output added to both.
TEST(Kvomap, KvognopLinesMatchTheExport) {
  MapRun m;
  ToolResult pg = m.run({"-pg", "d.map", "g_", "lines.txt"});
  ASSERT_EQ(pg.status, 0);
  std::vector<std::string> lines = splitLines(readText(m.dir.file("lines.txt")));
  ASSERT_EQ(lines.size(), 10u);
  const std::vector<std::vector<std::string>> variants = {{}, {"-ta", "-t4"}};
  for (const std::vector<std::string>& options : variants) {
    std::vector<std::string> exportArgs = {"-e"};
    exportArgs.insert(exportArgs.end(), options.begin(), options.end());
    exportArgs.insert(exportArgs.end(), {"d.map", "m_"});
    ToolResult e = m.run(exportArgs);
    ASSERT_EQ(e.status, 0);
    EXPECT_EQ(e.err,
              "WARN: expected palette for every bitmap, got less, using first : 1 < 4 : d.map");
    for (const std::string& line : lines) {
      std::vector<std::string> words = splitWords(line);
      ASSERT_EQ(words.size(), 9u);
      ASSERT_EQ(words[0], "kvognop");
      words.insert(words.begin() + 2, options.begin(), options.end());
      ToolResult g = runTool("kvognop", std::vector<std::string>(words.begin() + 1, words.end()),
                             m.dir.path());
      EXPECT_EQ(g.status, 0) << line << g.err;
      std::string name = words.back().substr(2);
      Bytes fromGnop = readBytes(m.dir.file("g_" + name));
      ASSERT_GT(fromGnop.size(), 54u) << name;
      EXPECT_EQ(fromGnop[28], options.empty() ? 8 : 32);
      EXPECT_EQ(fromGnop, readBytes(m.dir.file("m_" + name))) << name;
    }
  }
}

TEST(Kvomap, ExtractsBitmapsWithTheirPalettes) {
  MapRun m;
  ToolResult all = m.run({"-e", "d.map"});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(readBytes(m.dir.file("0_00.bmp")),
            bmp8(4, 2, testPixels(0, 0, 8), exportedPalette(0, 0)));
  EXPECT_EQ(readBytes(m.dir.file("0_01_02.bmp")),
            bmp8(3, 3, testPixels(1, 2, 9), exportedPalette(1, 2)));
  EXPECT_EQ(readBytes(m.dir.file("0_02_03_00.bmp")),
            bmp8(2, 5, testPixels(2, 3, 10), exportedPalette(2, 0)));

  // One number: entry E, bitmap 0, palette 0 of section 0; four: Y,E,B,P.
  ToolResult one = m.run({"-e2", "d.map", "one.bmp"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.err, "");
  EXPECT_EQ(readBytes(m.dir.file("one.bmp")), readBytes(m.dir.file("0_02_00.bmp")));
  ToolResult four = m.run({"-e0,1,2,0x1", "d.map", "four.bmp"});
  EXPECT_EQ(four.status, 0);
  EXPECT_EQ(readBytes(m.dir.file("four.bmp")),
            bmp8(3, 3, testPixels(1, 2, 9), exportedPalette(1, 1)));

  // "-n" leaves the colours as they are (block order and byte order aside).
  ToolResult plain = m.run({"-e0,0,0", "-n", "d.map", "plain.bmp"});
  Bytes plainBmp = readBytes(m.dir.file("plain.bmp"));
  ASSERT_EQ(plainBmp.size(), 54u + 1024 + 8);
  EXPECT_EQ(Bytes(plainBmp.begin() + 54, plainBmp.begin() + 62),
            Bytes({0, 0, 0, 0, 254, 0, 1, 0x80}));
  EXPECT_EQ(Bytes(plainBmp.begin() + 54 + 20, plainBmp.begin() + 78), Bytes({0, 0, 0, 0x40}));
}

TEST(Kvomap, RefusesIndexesOutOfRange) {
  MapRun m;
  struct Case {
    std::string list, err;
  } cases[] = {
      {"-e2,0,0", "ERROR: given YNSC index bigger than max YNSC index : 2 > 1 : d.map\n"},
      {"-e1,1,0", "ERROR: given Entry index bigger than max entry index : 1 > 0 : d.map\n"},
      {"-e0,2,4", "ERROR: given Bitmap index bigger than max bitmap index: 4 > 3 : d.map\n"},
      {"-e0,2,1", "ERROR: given Palette index bigger than max palette index: 1 > 0 : d.map\n"},
  };
  for (const Case& c : cases) {
    ToolResult r = m.run({c.list, "d.map", "x.bmp"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, c.err);
    EXPECT_FALSE(fileExists(m.dir.file("x.bmp")));
  }
  // Import after an index message writes the map unchanged.
  ToolResult imp = m.run({"-i0,3,0", "d.map", "x.bmp", "new.map"});
  EXPECT_EQ(imp.status, 0);
  EXPECT_EQ(imp.err, "ERROR: given Entry index bigger than max entry index : 3 > 2 : d.map\n");
  EXPECT_EQ(readBytes(m.dir.file("new.map")), m.built.bytes);
}

TEST(Kvomap, RangesRestrictExtraction) {
  MapRun m;
  ToolResult r = m.run({"-e", "-r", " 2 , 1-2", "d.map", "r_"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> names = {"r_0_02_01_00.bmp", "r_0_02_02_00.bmp"};
  for (const std::string& n : names) EXPECT_TRUE(fileExists(m.dir.file(n))) << n;
  EXPECT_FALSE(fileExists(m.dir.file("r_0_02_00.bmp")));
  EXPECT_FALSE(fileExists(m.dir.file("r_0_02_03_00.bmp")));
  EXPECT_FALSE(fileExists(m.dir.file("r_1_00_01.bmp")));
  ToolResult y = m.run({"-e", "-r", "1,0,1", "d.map", "y_"});
  EXPECT_EQ(y.status, 0);
  EXPECT_TRUE(fileExists(m.dir.file("y_1_00_01.bmp")));
  EXPECT_FALSE(fileExists(m.dir.file("y_1_00_00.bmp")));
  EXPECT_FALSE(fileExists(m.dir.file("y_0_00.bmp")));
}

TEST(Kvomap, ImportsBitmapsAndPalettes) {
  MapRun m;
  ASSERT_EQ(m.run({"-e", "d.map", "x_"}).status, 0);
  // Re-importing the unchanged export gives the map back byte for byte.
  ToolResult same = m.run({"-i", "d.map", "x_", "same.map"});
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(readBytes(m.dir.file("same.map")), m.built.bytes);

  // An edited pixel lands in its slot; nothing else changes.
  Bytes bmp = readBytes(m.dir.file("x_0_01_01.bmp"));
  bmp[54 + 1024 + 2 * 4 + 1] = 0xAB;  // file row 2 = top row, pixel 1
  writeBytes(m.dir.file("edit.bmp"), bmp);
  ToolResult one = m.run({"-i0,1,1", "d.map", "edit.bmp"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.err, "");
  Bytes expected = m.built.bytes;
  expected[m.built.entryOffsets[0][1] + 160 + 32 + 48 + 25 + 1] = 0xAB;
  EXPECT_EQ(readBytes(m.dir.file("d.map")), expected);
  EXPECT_FALSE(fileExists(m.dir.file("d.map.kvotmp")));

  // With the palette: back to game order, every alpha 0x80 but entry 0's.
  ToolResult pal = m.run({"-ip0,0,0", "d.map", "x_0_00.bmp", "pal.map"});
  EXPECT_EQ(pal.status, 0);
  Bytes withPal = readBytes(m.dir.file("pal.map"));
  uint32_t entries = m.built.entryOffsets[0][0] + 176 + 32 + 24 + 64;
  EXPECT_EQ(Bytes(withPal.begin() + entries, withPal.begin() + entries + 8),
            Bytes({255, 0, 255, 0, 1, 0, 254, 0x80}));
  EXPECT_EQ(Bytes(withPal.begin() + entries + 20, withPal.begin() + entries + 24),
            Bytes({0, 128, 0, 0x80}));
  EXPECT_EQ(Bytes(withPal.begin() + entries + 4 * 16, withPal.begin() + entries + 4 * 17),
            Bytes({16, 0, 239, 0x80}));
  // "-n" keeps the alphas of the BMP.
  ToolResult keep = m.run({"-ip0,0,0", "-n", "d.map", "x_0_00.bmp", "keep.map"});
  EXPECT_EQ(keep.status, 0);
  Bytes kept = readBytes(m.dir.file("keep.map"));
  EXPECT_EQ(Bytes(kept.begin() + entries + 20, kept.begin() + entries + 24),
            Bytes({0, 128, 0, 0x40}));
}

TEST(Kvomap, ImportChecksTheBmp) {
  MapRun m;
  // Only the raw size counts: 3 x 3 does not fit the 8 bytes of entry 0's
  // slots, while 5 x 2 fits the 10 bytes of a 2 x 5 slot.
  writeBytes(m.dir.file("big.bmp"), bmp8(3, 3, Bytes(9, 1), Bytes(1024, 0)));
  ToolResult big = m.run({"-i0", "d.map", "big.bmp"});
  EXPECT_EQ(big.status, 0);
  EXPECT_EQ(big.err,
            "ERROR: given BMP bitmap size is bigger than given space : 9 > 8 : big.bmp : d.map\n");
  EXPECT_EQ(readBytes(m.dir.file("d.map")), m.built.bytes);
  writeBytes(m.dir.file("turned.bmp"), bmp8(5, 2, Bytes(10, 3), Bytes(1024, 0)));
  ToolResult turned = m.run({"-i0,2,1,0", "d.map", "turned.bmp"});
  EXPECT_EQ(turned.status, 0);
  EXPECT_EQ(turned.err, "");
  Bytes map = readBytes(m.dir.file("d.map"));
  uint32_t pixels = m.built.entryOffsets[0][2] + 176 + 48 + 26;
  EXPECT_EQ(Bytes(map.begin() + pixels, map.begin() + pixels + 10), Bytes(10, 3));
  // Another depth warns and goes on with its own raw size.
  writeBytes(m.dir.file("nibbles"), Bytes({0x21, 0x43, 0x65, 0x87}));
  writeBytes(m.dir.file("pal"), Bytes(1024, 0));
  ASSERT_EQ(
      runTool("kvognop", {"-e", "-n", "-pb", "4,2,4", "nibbles", "pal", "four.bmp"}, m.dir.path())
          .status,
      0);
  ToolResult four = m.run({"-i1,0,0", "d.map", "four.bmp"});
  EXPECT_EQ(four.status, 0);
  EXPECT_EQ(four.err, "WARN: supported only 8-bit BMP, given bmp is 4 : four.bmp : d.map\n");
  Bytes withFour = readBytes(m.dir.file("d.map"));
  uint32_t section1 = m.built.entryOffsets[1][0] + 176 + 48;
  EXPECT_EQ(Bytes(withFour.begin() + section1, withFour.begin() + section1 + 5),
            Bytes({0x21, 0x43, 0x65, 0x87, map[section1 + 4]}));
  // A missing BMP is skipped quietly.
  ToolResult missing = m.run({"-i0", "d.map", "none.bmp", "out.map"});
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.err, "");
  EXPECT_EQ(readBytes(m.dir.file("out.map")), withFour);
}

TEST(Kvomap, RefusesEntriesThatPointOutsideTheFile) {
  TestMap shape;
  TestEntry noPalette;
  noPalette.paletteCount = 0;
  TestEntry tall;
  tall.bitmapHeight = 2;
  shape.sections = {{noPalette, tall}};
  BuiltMap built = buildMap(shape);
  // The last entry claims a bitmap far taller than the file.
  uint32_t bg = built.entryOffsets[0][1] + 176;
  put32(built.bytes, bg + 20, 0x10000000);
  TempDir dir;
  writeBytes(dir.file("b.map"), built.bytes);
  ToolResult r = runTool("kvomap", {"-e", "b.map"}, dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: expected palette for every bitmap, got less, using first : 0 < 1 : b.map"
            "ERROR: entry has no palette 0 : YNSC 0, entry 0 : b.map\n"
            "ERROR: bitmap data outside file : YNSC 0, entry 1, bitmap 0 : b.map\n");
  EXPECT_FALSE(fileExists(dir.file("00.bmp")));
  EXPECT_FALSE(fileExists(dir.file("01.bmp")));
  // Nor can such an entry take an imported palette.
  writeBytes(dir.file("00.bmp"), bmp8(4, 2, Bytes(8, 1), Bytes(1024, 9)));
  ToolResult p = runTool("kvomap", {"-ip", "b.map"}, dir.path());
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.err,
            "WARN: expected palette for every bitmap, got less, using first : 0 < 1 : b.map"
            "ERROR: entry has no palette 0 : YNSC 0, entry 0 : b.map\n");
  EXPECT_EQ(readBytes(dir.file("b.map")), built.bytes);
}
