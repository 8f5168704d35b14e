#include <gtest/gtest.h>

#include <string>

#include "bmp/palette.h"
#include "tests/support/testsupport.h"

namespace {
Bytes entries(std::initializer_list<Bytes> list) {
  Bytes out;
  for (const Bytes& e : list) out.insert(out.end(), e.begin(), e.end());
  return out;
}

Bytes at(const Bytes& pal, uint32_t i) {
  return Bytes(pal.begin() + 4 * i, pal.begin() + 4 * i + 4);
}

// A 256-entry palette of distinct opaque colours (red i, green 1, blue 2, 0x80).
Bytes distinctPalette() {
  Bytes pal;
  for (uint32_t i = 0; i < 256; ++i) pal.insert(pal.end(), {uint8_t(i), 1, 2, 0x80});
  return pal;
}
}  // namespace

TEST(Palette, SwizzleExchangesTheMiddleRunsOfEachBlock) {
  Bytes pal(1024);
  for (uint32_t i = 0; i < 256; ++i) pal[4 * i] = static_cast<uint8_t>(i);
  Bytes swizzled = pal;
  paletteSwizzle(swizzled.data(), 256);
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t inBlock = i % 32;
    uint32_t from = inBlock >= 8 && inBlock < 16    ? i + 8
                    : inBlock >= 16 && inBlock < 24 ? i - 8
                                                    : i;
    EXPECT_EQ(swizzled[4 * i], from) << i;
  }
  paletteSwizzle(swizzled.data(), 256);
  EXPECT_EQ(swizzled, pal);
  // A 16-entry palette has no second run to exchange with and stays as it is.
  Bytes small(pal.begin(), pal.begin() + 64);
  paletteSwizzle(small.data(), 16);
  EXPECT_EQ(small, Bytes(pal.begin(), pal.begin() + 64));
}

TEST(Palette, FlagsFollowTheOptionOrder) {
  EXPECT_EQ(paletteFlagsFromOptions(false, false, false, false), 0x30u);
  EXPECT_EQ(paletteFlagsFromOptions(true, false, false, false), 0x3Eu);
  EXPECT_EQ(paletteFlagsFromOptions(false, true, false, false), 0x38u);
  EXPECT_EQ(paletteFlagsFromOptions(true, false, true, false), 0x2Eu);  // -n -sb: entry 1 green
  EXPECT_EQ(paletteFlagsFromOptions(true, false, false, true), 0x1Eu);  // -n -ta: alpha applied
}

TEST(Palette, AlphaArithmetic) {
  Bytes pal = entries({{200, 100, 50, 0x40}, {200, 100, 50, 0x80}, {1, 2, 3, 0x00}});
  paletteApplyAlphaBlack(pal.data(), 3);
  EXPECT_EQ(pal, entries({{100, 50, 25, 0x40}, {200, 100, 50, 0x80}, {0, 0, 0, 0x00}}));

  pal = entries({{200, 100, 50, 0x40}, {10, 20, 30, 0x90}});
  paletteApplyAlphaOver(pal.data(), 2, 255, 0, 255);
  // 255*64/128 + 200*64/128 = 127 + 100
  EXPECT_EQ(pal, entries({{227, 50, 152, 0x40}, {10, 20, 30, 0x90}}));

  pal = entries({{200, 100, 50, 0x80}, {200, 100, 50, 0xFF}});
  paletteApplyAlphaOverNormal(pal.data(), 2, 255, 255, 255);
  // 200*128/255 + 255*127/255 = 100 + 127
  EXPECT_EQ(pal, entries({{227, 177, 152, 0x80}, {200, 100, 50, 0xFF}}));

  pal = entries({{0, 0, 0, 0x80}, {0, 0, 0, 0x40}, {0, 0, 0, 0xC0}, {0, 0, 0, 0x7F}});
  paletteDoubleAlpha(pal.data(), 4);
  EXPECT_EQ(pal, entries({{0, 0, 0, 0xFF}, {0, 0, 0, 0x80}, {0, 0, 0, 0xFF}, {0, 0, 0, 0xFE}}));
}

TEST(Palette, TransparentBlackMarks) {
  Bytes pal =
      entries({{0, 0, 0, 0}, {0, 0, 0, 0x01}, {0, 0, 0, 0x7F}, {0, 0, 0, 0x80}, {1, 0, 0, 0}});
  Bytes greens = pal;
  paletteBlackToGreens(greens.data(), 5);
  EXPECT_EQ(
      greens,
      entries({{0, 255, 0, 0}, {0, 254, 0, 1}, {0, 2, 0, 0x7F}, {0, 0, 0, 0x80}, {1, 0, 0, 0}}));
  Bytes normal = entries({{0, 0, 0, 0x10}, {0, 0, 0, 0xFF}});
  paletteBlackToGreensNormal(normal.data(), 2);
  EXPECT_EQ(normal, entries({{0, 0xEF, 0, 0x10}, {0, 0, 0, 0xFF}}));

  // kvogwh's odd shades turn back into black for every partial alpha.
  for (uint32_t alpha = 1; alpha < 0x80; ++alpha) {
    Bytes e = {0, 0, 0, uint8_t(alpha)};
    uint8_t shade = static_cast<uint8_t>(2 * (0x80 - alpha) + 1);
    Bytes m = e, g = e;
    paletteBlackToOddMagentas(m.data(), 1);
    paletteBlackToOddGreens(g.data(), 1);
    EXPECT_EQ(m, (Bytes{shade, 0, shade, uint8_t(alpha)}));
    EXPECT_EQ(g, (Bytes{0, shade, 0, uint8_t(alpha)}));
    paletteOddMagentasToBlack(m.data(), 1);
    paletteOddGreensToBlack(g.data(), 1);
    EXPECT_EQ(m, e);
    EXPECT_EQ(g, e);
  }
  // Alpha 0 and opaque entries are left; opaque odd shades stay coloured.
  Bytes kept = entries({{0, 0, 0, 0}, {0, 0, 0, 0x80}, {129, 0, 129, 0x80}, {0, 129, 0, 0x80}});
  Bytes copy = kept;
  paletteBlackToOddMagentas(copy.data(), 2);
  paletteOddMagentasToBlack(copy.data() + 8, 1);
  paletteOddGreensToBlack(copy.data() + 12, 1);
  EXPECT_EQ(copy, kept);
}

TEST(Palette, DuplicatesAreMadeDistinctAndReported) {
  Bytes pal = distinctPalette();
  Bytes twin = {10, 20, 30, 0x80};
  std::copy(twin.begin(), twin.end(), pal.begin() + 12);
  twin[3] = 0x20;
  std::copy(twin.begin(), twin.end(), pal.begin() + 28);
  EXPECT_EQ(paletteMakeDistinct(pal.data(), 256), 0u);
  EXPECT_EQ(at(pal, 3), (Bytes{10, 20, 30, 0x80}));
  EXPECT_EQ(at(pal, 7), (Bytes{10, 20, 31, 0x20}));

  Bytes white = distinctPalette();
  for (uint32_t i : {4u, 5u, 6u}) std::fill(white.begin() + 4 * i, white.begin() + 4 * i + 3, 255);
  paletteMakeDistinct(white.data(), 256);
  EXPECT_EQ(at(white, 5), (Bytes{255, 255, 254, 0x80}));
  EXPECT_EQ(at(white, 6), (Bytes{255, 255, 253, 0x80}));

  Bytes dup = entries({{1, 2, 3, 0}, {9, 9, 9, 0}, {1, 2, 3, 0x80}, {9, 9, 9, 1}, {1, 2, 3, 5}});
  std::string printed;
  Messages collect{[&](const std::string& line) { printed += line; }};
  EXPECT_EQ(palettePrintDuplicates(dup.data(), 5, "pic", collect), 3u);
  EXPECT_EQ(palettePrintDuplicates(dup.data(), 2, nullptr, collect), 0u);
  EXPECT_EQ(palettePrintDuplicates(dup.data(), 4, nullptr, collect), 2u);
  EXPECT_EQ(printed,
            "WARN: index 0 color (#010203) same as : 2 : pic, 4\n"
            "WARN: index 1 color (#090909) same as : 3 : pic\n"
            "WARN: index 2 color (#010203) same as : 4 : pic\n"
            "WARN: index 0 color (#010203) same as : 2\n"
            "WARN: index 1 color (#090909) same as : 3\n");
}

// The export pipeline with default flags, "-na", and the 32-bit ending.
TEST(Palette, ExportPipeline) {
  Bytes game = distinctPalette();
  std::fill(game.begin(), game.begin() + 4, 0);            // entry 0 zero
  game[20] = game[21] = game[22] = 0, game[23] = 0x40;     // entry 5 transparent black
  game[24] = 9, game[25] = 9, game[26] = 9, game[27] = 0;  // entry 6 coloured, alpha 0
  PaletteExport how;
  Bytes pal = game;
  std::string printed;
  Messages collect{[&](const std::string& line) { printed += line; }};
  EXPECT_EQ(paletteExportColours(pal.data(), 256, how, collect), 0u);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(at(pal, 0), (Bytes{255, 0, 255, 0}));  // blue, green, red, alpha
  EXPECT_EQ(at(pal, 5), (Bytes{0, 128, 0, 0x40}));
  EXPECT_EQ(at(pal, 6), (Bytes{9, 9, 9, 0}));  // alpha not applied by default
  EXPECT_EQ(at(pal, 7), (Bytes{2, 1, 7, 0x80}));

  how.flags = paletteFlagsFromOptions(false, true, false, true);  // -na -ta
  pal = game;
  paletteExportColours(pal.data(), 256, how, Messages());
  EXPECT_EQ(at(pal, 5), (Bytes{0, 0, 0, 0x40}));
  EXPECT_EQ(at(pal, 6), (Bytes{1, 0, 0, 0}));  // black twice: its twin's blue nudged

  how.flags = paletteFlagsFromOptions(false, false, false, true);  // -ta: black, then green
  pal = game;
  paletteExportColours(pal.data(), 256, how, Messages());
  EXPECT_EQ(at(pal, 6), (Bytes{0, 255, 0, 0}));

  how = PaletteExport{};
  how.swizzle = true;
  pal = game;
  paletteExportColours(pal.data(), 256, how, Messages());
  EXPECT_EQ(at(pal, 8), (Bytes{2, 1, 16, 0x80}));  // game entry 16
}

TEST(Palette, FourBitPixelsAndMasks) {
  Bytes pal = entries({{1, 1, 1, 1}, {2, 2, 2, 0x80}, {3, 3, 3, 3}});
  Bytes dst(5 * 4);
  pixels4To32(dst.data(), Bytes{0x10, 0x02, 0x21}.data(), pal.data(), 5);
  EXPECT_EQ(dst,
            entries({{1, 1, 1, 1}, {2, 2, 2, 0x80}, {3, 3, 3, 3}, {1, 1, 1, 1}, {2, 2, 2, 0x80}}));
  // Row by row, each odd-width row starts on a new byte.
  Bytes rows(6 * 4);
  pixels4To32Rows(rows.data(), Bytes{0x10, 0x02, 0x21, 0x01}.data(), pal.data(), 3, 2);
  EXPECT_EQ(rows, entries({{1, 1, 1, 1},
                           {2, 2, 2, 0x80},
                           {3, 3, 3, 3},
                           {2, 2, 2, 0x80},
                           {3, 3, 3, 3},
                           {2, 2, 2, 0x80}}));
  Bytes nibbles = {0x11, 0x11};
  mergeByMask4(nibbles.data(), Bytes{0xAB, 0xCD}.data(), Bytes{0x10, 0x01}.data(), 2);
  EXPECT_EQ(nibbles, (Bytes{0xA1, 0x1D}));
}
