#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/bmp/bmpbuild.h"
#include "tests/support/testsupport.h"

namespace {
const char kUsage[] =
    "Usage:\n"
    "       kvogwh -e  [-n] [-g] GWHFILE  BMPFILE\n"
    "       kvogwh -c  [-n] [-g] BMPFILE  GWHFILE\n"
    "       kvogwh -i  [-m]      GWHFILE  BMPFILE  [OUTFILE]\n"
    "       kvogwh -p            GWHFILE [OUTFILE]\n"
    "Converts KVO graphic file '.gwh' to BMP and vice versa.\n"
    "Update palette if needed (duplicit colors).\n"
    "Options:\n"
    "  -p   print info about GWHFILE to stdout or OUTFILE\n"
    "  -e   extract/convert GWHFILE to BMPFILE\n"
    "  -c   create GWHFILE from BMPFILE (copy palette and bitmap data)\n"
    "       (due palette change or BMP edit result palette may differ from original)\n"
    "  -i   import data from BMPFILE to GWHFILE/OUTFILE (import bitmap, not palette)\n"
    "  -g   palette black (0,0,0) with alpha to green instead of magenta\n"
    "  -n   on export or create dont change colors in palette\n"
    "       default :background color to mangenta, black (RGBA000X,X!=0x80) to greens\n"
    "  -m   on import, only colors with index != 0 (background) are imported\n"
    "\n"
    "Notes:\n"
    "    .gwh format - 4B width, 4B height, 8B zeros, 1024B RGBA palette, -B bitmap\n"
    "    palette usually contain same color with different 'aplha'\n"
    "\n"
    "Version 20140701\n";

// Windows programs (run through KVO_RUNNER) write text with "\r\n" line
// ends; the texts are compared with "\n" ones.
std::string unixLines(std::string text) {
  for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  return text;
}

ToolResult gwh(const TempDir& dir, const std::vector<std::string>& args) {
  ToolResult r = runTool("kvogwh", args, dir.path());
  r.out = unixLines(r.out);
  r.err = unixLines(r.err);
  return r;
}

// The game keeps entries 8-15 and 16-23 of every 32-entry block exchanged.
uint32_t gameSlot(uint32_t index) {
  uint32_t inBlock = index % 32;
  if (inBlock >= 8 && inBlock < 16) return index + 8;
  if (inBlock >= 16 && inBlock < 24) return index - 8;
  return index;
}

// File palette: entry i is (i, 1, 2, 0x80); entry 0 is zero and file entry 9
// (picture entry 17) transparent black with alpha 0x40.
Bytes gamePalette() {
  Bytes pal;
  for (uint32_t i = 0; i < 256; ++i) pal.insert(pal.end(), {uint8_t(i), 1, 2, 0x80});
  for (int k = 0; k < 4; ++k) pal[k] = 0;
  pal[36] = pal[37] = pal[38] = 0;
  pal[39] = 0x40;
  return pal;
}

Bytes makeGwh(uint32_t width, uint32_t height, const Bytes& palette, const Bytes& pixels) {
  Bytes file(16 + palette.size() + pixels.size(), 0);
  put32(file, 0, width);
  put32(file, 4, height);
  std::copy(palette.begin(), palette.end(), file.begin() + 16);
  std::copy(pixels.begin(), pixels.end(), file.begin() + 16 + palette.size());
  return file;
}

const Bytes kPixels = {0, 17, 2, 3, 4, 5};  // 3 x 2

// The BMP palette a default export gives for gamePalette().
Bytes exportedPalette(uint8_t shadeR, uint8_t shadeG, uint8_t shadeB) {
  Bytes pal;
  for (uint32_t p = 0; p < 256; ++p) pal.insert(pal.end(), {2, 1, uint8_t(gameSlot(p)), 0x80});
  pal[0] = 255, pal[1] = 0, pal[2] = 255, pal[3] = 0;
  pal[68] = shadeB, pal[69] = shadeG, pal[70] = shadeR, pal[71] = 0x40;
  return pal;
}

Bytes bmpOf(const Bytes& palette, std::vector<Bytes> rowsBottomUp) {
  BmpLayout s;
  s.width = 3;
  s.height = 2;
  s.palette = palette;
  s.rows = std::move(rowsBottomUp);
  return buildBmp(s);
}
}  // namespace

TEST(KvogwhCommandLine, UsageAndArgumentErrors) {
  TempDir dir;
  ToolResult r = gwh(dir, {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kUsage);
  r = gwh(dir, {"/H"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kUsage);
  r = gwh(dir, {"-e"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: expected INFILE parameter\n");
  r = gwh(dir, {"-x", "a.gwh"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: unknown option -x\nERROR: expected OUTFILE parameter\n");
  r = gwh(dir, {"a.gwh", "b.bmp"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: expected one of [p|e|i] parameters\n\n");
  EXPECT_EQ(r.out, kUsage);
}

TEST(KvogwhPrint, ListingAndFileChecks) {
  TempDir dir;
  writeBytes(dir.file("a.gwh"), makeGwh(3, 2, gamePalette(), kPixels));
  ToolResult r = gwh(dir, {"-p", "a.gwh"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "filename: a.gwh\nfileSize: 1046 (0x416)\nwidth : 3\nheight: 2\n");
  EXPECT_EQ(r.err, "");
  r = gwh(dir, {"-P", "a.gwh", "list.txt"});
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(unixLines(readText(dir.file("list.txt"))),
            "filename: a.gwh\nfileSize: 1046 (0x416)\nwidth : 3\nheight: 2\n");
  r = gwh(dir, {"-p", "a.gwh", "no/dir/list.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ERROR: couldnt open file for output : no/dir/list.txt\n");

  Bytes file = makeGwh(0, 0, gamePalette(), {});
  file[12] = 1;
  writeBytes(dir.file("z.gwh"), file);
  r = gwh(dir, {"-p", "z.gwh"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "WARN: file data bytes 8-16 expected zero : z.gwh\n");

  struct Bad {
    Bytes file;
    const char* err;
  } bads[] = {
      {Bytes(1039, 0), "ERROR: file data size must be at last 1040 is 1039 : bad.gwh\n"},
      {makeGwh(3, 2, gamePalette(), {1, 2, 3, 4, 5}),
       "ERROR: file data size must be at last 1046, is 1045: bad.gwh\n"},
      // 0x10000 x 0x10000 wraps to 0 in 32 bits; it must not pass as empty.
      {makeGwh(0x10000, 0x10000, gamePalette(), {}),
       "ERROR: file data size must be at last 4294968336, is 1040: bad.gwh\n"},
  };
  for (const Bad& bad : bads) {
    writeBytes(dir.file("bad.gwh"), bad.file);
    r = gwh(dir, {"-e", "bad.gwh", "out.bmp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, bad.err);
    EXPECT_FALSE(fileExists(dir.file("out.bmp")));
  }
  r = gwh(dir, {"-p", "missing.gwh"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "ERROR: couldn't load data to memory from file 'missing.gwh'\n"
            "      (read file error occurred)\n");
}

TEST(KvogwhExport, PaletteMarksAndExactBytes) {
  TempDir dir;
  writeBytes(dir.file("a.gwh"), makeGwh(3, 2, gamePalette(), kPixels));
  const std::vector<Bytes> rows = {{3, 4, 5}, {0, 17, 2}};

  ToolResult r = gwh(dir, {"-e", "a.gwh", "a.bmp", "-n"});  // options after files are not read
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readBytes(dir.file("a.bmp")), bmpOf(exportedPalette(129, 0, 129), rows));

  r = gwh(dir, {"-g", "-e", "a.gwh", "g.bmp"});
  EXPECT_EQ(readBytes(dir.file("g.bmp")), bmpOf(exportedPalette(0, 129, 0), rows));

  // -n: no colour changes; a duplicate colour keeps its value and is not reported.
  Bytes pal = gamePalette();
  std::copy(pal.begin() + 4, pal.begin() + 8, pal.begin() + 8);  // file entry 2 = entry 1
  writeBytes(dir.file("d.gwh"), makeGwh(3, 2, pal, kPixels));
  r = gwh(dir, {"-e", "-n", "d.gwh", "n.bmp"});
  EXPECT_EQ(r.err, "");
  Bytes plain;
  for (uint32_t p = 0; p < 256; ++p) {
    const uint8_t* e = &pal[4 * gameSlot(p)];
    plain.insert(plain.end(), {e[2], e[1], e[0], e[3]});
  }
  EXPECT_EQ(readBytes(dir.file("n.bmp")), bmpOf(plain, rows));
  r = gwh(dir, {"-e", "d.gwh", "d.bmp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");  // made distinct first, so nothing is left to report
  Bytes out = readBytes(dir.file("d.bmp"));
  EXPECT_EQ(Bytes(out.begin() + 54 + 8, out.begin() + 54 + 12), (Bytes{3, 1, 1, 0x80}));

  // A 0 x 0 picture still has its full palette.
  writeBytes(dir.file("e.gwh"), makeGwh(0, 0, gamePalette(), {}));
  r = gwh(dir, {"-e", "e.gwh", "e.bmp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(readBytes(dir.file("e.bmp")).size(), 54u + 1024);
}

TEST(KvogwhCreate, RoundTripAndRefusals) {
  TempDir dir;
  const Bytes original = makeGwh(3, 2, gamePalette(), kPixels);
  writeBytes(dir.file("a.gwh"), original);
  for (std::string green : {"", "-g"}) {
    std::vector<std::string> exportArgs = {"-e", "a.gwh", "a.bmp"};
    std::vector<std::string> createArgs = {"-c", "a.bmp", "b.gwh"};
    if (!green.empty()) {
      exportArgs.insert(exportArgs.begin(), green);
      createArgs.insert(createArgs.begin(), green);
    }
    gwh(dir, exportArgs);
    ToolResult r = gwh(dir, createArgs);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readBytes(dir.file("b.gwh")), original) << green;
  }

  // A top-down BMP: the picture's height is its absolute value.
  BmpLayout s;
  s.width = 3;
  s.height = -2;
  s.palette = exportedPalette(129, 0, 129);
  s.rows = {{0, 17, 2}, {3, 4, 5}};
  writeBytes(dir.file("top.bmp"), buildBmp(s));
  EXPECT_EQ(gwh(dir, {"-c", "top.bmp", "top.gwh"}).status, 0);
  EXPECT_EQ(readBytes(dir.file("top.gwh")), original);

  BmpLayout rgb;
  rgb.width = 1;
  rgb.height = 1;
  rgb.bpp = 24;
  rgb.rows = {{1, 2, 3}};
  writeBytes(dir.file("x.bmp"), buildBmp(rgb));
  ToolResult r = gwh(dir, {"-c", "x.bmp", "x.gwh"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: input BMP file must be 8-bit, is 24: x.bmp\n");
  EXPECT_FALSE(fileExists(dir.file("x.gwh")));
  r = gwh(dir, {"-c", "none.bmp", "x.gwh"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: cannot load file to memory : No such file or directory : none.bmp\n");
}

// Editors write only the colours a picture uses.
TEST(KvogwhCreate, ShortPaletteEndsInTransparentBlack) {
  TempDir dir;
  BmpLayout few;
  few.width = 3;
  few.height = 2;
  few.clrUsed = 16;
  few.palette = rampPalette(16);
  few.rows = {{3, 4, 5}, {0, 15, 2}};
  writeBytes(dir.file("few.bmp"), buildBmp(few));
  ToolResult r = gwh(dir, {"-c", "few.bmp", "few.gwh"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: BMP palette has 16 colours, the other 240 are transparent black : few.bmp\n");
  Bytes pal(1024, 0);
  for (uint32_t slot = 0; slot < 256; ++slot) {
    const uint32_t p = gameSlot(slot);
    const Bytes entry = {uint8_t(3 * p), uint8_t(2 * p), uint8_t(p), uint8_t(p)};  // RGBA
    if (p < 16) std::copy(entry.begin(), entry.end(), pal.begin() + 4 * slot);
  }
  EXPECT_EQ(readBytes(dir.file("few.gwh")), makeGwh(3, 2, pal, {0, 15, 2, 3, 4, 5}));
}

// An editor that re-saves the exported BMP (here ImageMagick, also run-length
// encoded) drops the palette's fourth bytes; the marks bring the alpha back.
TEST(KvogwhCreate, EditorResaveWithoutAlphaRoundTrips) {
  if (!haveMagick()) GTEST_SKIP() << "ImageMagick not installed";
  TempDir dir;
  Bytes pal = gamePalette();
  pal[4 * 41 + 3] = 0x7F, pal[4 * 70 + 3] = 0x02;  // two more transparent blacks
  for (uint32_t i : {41, 70}) pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = 0;
  Bytes pixels(256);
  for (uint32_t i = 0; i < 256; ++i) pixels[i] = uint8_t(i);
  const Bytes original = makeGwh(16, 16, pal, pixels);
  writeBytes(dir.file("a.gwh"), original);
  for (std::string colour : {"-m", "-g"})  // magenta (a flag create ignores) or green marks
    for (std::string compression : {"None", "RLE"}) {
      gwh(dir, {colour, "-e", "a.gwh", "a.bmp"});
      ASSERT_TRUE(magick("'" + dir.file("a.bmp") + "' -type Palette -compress " + compression +
                         " BMP3:'" + dir.file("im.bmp") + "'"));
      ToolResult r = gwh(dir, {colour, "-c", "im.bmp", "b.gwh"});
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.err,
                "WARN: BMP palette has no alpha, alpha taken from the marker colours : im.bmp\n");
      EXPECT_EQ(readBytes(dir.file("b.gwh")), original) << colour << compression;
    }
}

TEST(KvogwhImport, PixelsOnlyWithMaskAndSafeReplace) {
  TempDir dir;
  Bytes original = makeGwh(3, 2, gamePalette(), kPixels);
  original.insert(original.end(), {0xDE, 0xAD});                      // trailing bytes are kept
  const Bytes bmp = bmpOf(rampPalette(256), {{0, 9, 8}, {7, 0, 6}});  // top-down 7 0 6 / 0 9 8

  writeBytes(dir.file("a.gwh"), original);
  writeBytes(dir.file("b.bmp"), bmp);
  ToolResult r = gwh(dir, {"-i", "a.gwh", "b.bmp", "out.gwh"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  Bytes expected = original;
  const Bytes imported = {7, 0, 6, 0, 9, 8};
  std::copy(imported.begin(), imported.end(), expected.begin() + 1040);
  EXPECT_EQ(readBytes(dir.file("out.gwh")), expected);
  EXPECT_EQ(readBytes(dir.file("a.gwh")), original);

  r = gwh(dir, {"-m", "-i", "a.gwh", "b.bmp"});  // over the input itself
  EXPECT_EQ(r.status, 0);
  Bytes masked = original;
  const Bytes merged = {7, 17, 6, 3, 9, 8};
  std::copy(merged.begin(), merged.end(), masked.begin() + 1040);
  EXPECT_EQ(readBytes(dir.file("a.gwh")), masked);
  // No temporary file is left beside it.
  std::vector<std::string> names;
  for (const PlatFindEntry& e : platFind((dir.path() + "/*").c_str()))
    if (!e.isDirectory) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"a.gwh", "b.bmp", "out.gwh"}));

  // A 1-bit picture is not converted but refused as not matching: nothing is
  // written.
  BmpLayout mono;
  mono.width = 3;
  mono.height = 2;
  mono.bpp = 1;
  mono.palette = rampPalette(2);
  mono.rows = {{0xA0}, {0x40}};
  writeBytes(dir.file("m.bmp"), buildBmp(mono));
  writeBytes(dir.file("a.gwh"), original);
  r = gwh(dir, {"-i", "a.gwh", "m.bmp"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: BMP resolution (m.bmp; 3x2x1) doesnt match GWH (a.gwh; 328)\n");
  EXPECT_EQ(readBytes(dir.file("a.gwh")), original);
  writeBytes(dir.file("bad.bmp"), Bytes(bmp.begin(), bmp.end() - 1));
  r = gwh(dir, {"-i", "a.gwh", "bad.bmp"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "ERROR: BMP size (bfSize) bigger than actual BMP file size : 1086 > 1085 : bad.bmp\n "
            "ERROR: cannot load data from BMP file : bad.bmp\n");
}

// The exported picture seen by an independent decoder: every pixel has the
// colour of its palette entry.
TEST(KvogwhExport, DecoderSeesThePaletteColours) {
  if (!haveDecoder()) GTEST_SKIP() << "ImageMagick convert not installed";
  TempDir dir;
  const uint32_t w = 7, h = 3;
  Bytes pixels;
  for (uint32_t i = 0; i < w * h; ++i) pixels.push_back(uint8_t(i * 37 + 1));
  writeBytes(dir.file("a.gwh"), makeGwh(w, h, gamePalette(), pixels));
  ASSERT_EQ(gwh(dir, {"-e", "a.gwh", "a.bmp"}).status, 0);
  Bytes expected;
  const Bytes pal = exportedPalette(129, 0, 129);
  for (uint8_t p : pixels)
    expected.insert(expected.end(), {pal[4 * p + 2], pal[4 * p + 1], pal[4 * p]});
  EXPECT_EQ(decodeRgb(dir.file("a.bmp")), expected);
}
