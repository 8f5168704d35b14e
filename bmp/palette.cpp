#include "bmp/palette.h"

#include <cstring>
#include <string>

namespace {
const uint32_t kOpaque = 0x80;

uint8_t* entry(uint8_t* pal, uint32_t i) { return pal + 4 * i; }
const uint8_t* entry(const uint8_t* pal, uint32_t i) { return pal + 4 * i; }

bool sameColour(const uint8_t* a, const uint8_t* b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

void setRgb(uint8_t* e, uint8_t r, uint8_t g, uint8_t b) {
  e[0] = r;
  e[1] = g;
  e[2] = b;
}

// The odd shade that marks a partly transparent black: 255 for alpha 0,
// down to 3 for alpha 0x7F.
uint8_t oddShade(uint8_t alpha) { return static_cast<uint8_t>(2 * (kOpaque - alpha) + 1); }
// The alpha an odd shade stands for.
uint8_t alphaOfShade(uint8_t shade) { return static_cast<uint8_t>(kOpaque - (shade - 1) / 2); }

bool isOddGreen(const uint8_t* e) { return e[0] == 0 && e[2] == 0 && e[1] > 2 && (e[1] & 1); }
bool isOddMagenta(const uint8_t* e) { return e[1] == 0 && e[0] == e[2] && e[0] > 2 && (e[0] & 1); }
}  // namespace

bool pictureColourOption(char letter, char third, PictureColourOptions* o) {
  switch (letter) {
    case 'n':
      (third == 'a' ? o->noGreens : o->noChange) = true;
      return true;
    case 's':
      if (third == 'b') o->secondGreen = true;
      return true;
    case 't':
      if (third == '4' || third == '\0') o->output32 = true;
      if (third == 'a') o->applyAlpha = true;
      return true;
    default:
      return false;
  }
}

uint32_t paletteFlagsOf(const PictureColourOptions& o) {
  return paletteFlagsFromOptions(o.noChange, o.noGreens, o.secondGreen, o.applyAlpha);
}

uint32_t paletteFlagsFromOptions(bool noChange, bool noGreens, bool secondGreen, bool applyAlpha) {
  uint32_t flags = kPalFlagsDefault;
  if (noChange) flags = kPalFlagsNoChange;
  if (noGreens) flags |= kPalKeepTransparentBlack;
  if (secondGreen) flags &= ~static_cast<uint32_t>(kPalKeepSecond);
  if (applyAlpha) flags &= ~static_cast<uint32_t>(kPalNoAlpha);
  return flags;
}

void paletteSwizzle(uint8_t* pal, uint32_t count) {
  uint8_t run[32];
  for (uint32_t k = 8; k < count; k += 32) {
    if (k + 16 > count) break;  // a partial block has nothing to exchange with
    std::memcpy(run, entry(pal, k), 32);
    std::memcpy(entry(pal, k), entry(pal, k + 8), 32);
    std::memcpy(entry(pal, k + 8), run, 32);
  }
}

void paletteSwapRB(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    uint8_t t = e[0];
    e[0] = e[2];
    e[2] = t;
  }
}

bool colorIsZero(const uint8_t* e) { return e[0] == 0 && e[1] == 0 && e[2] == 0 && e[3] == 0; }
bool colorIsBlack(const uint8_t* e) { return e[0] == 0 && e[1] == 0 && e[2] == 0; }
bool colorIsMagenta(const uint8_t* e) { return e[0] == 255 && e[1] == 0 && e[2] == 255; }
bool colorIsGreen(const uint8_t* e) { return e[0] == 0 && e[1] == 255 && e[2] == 0; }
void colorSetMagenta(uint8_t* e) { setRgb(e, 255, 0, 255); }
void colorSetGreen(uint8_t* e) { setRgb(e, 0, 255, 0); }
void colorSetBlack(uint8_t* e) { setRgb(e, 0, 0, 0); }

void paletteSetAlpha(uint8_t* pal, uint32_t count, uint8_t alpha) {
  for (uint32_t i = 0; i < count; ++i) entry(pal, i)[3] = alpha;
}

void paletteDoubleAlpha(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t& a = entry(pal, i)[3];
    a = a >= kOpaque ? 0xFF : static_cast<uint8_t>(a * 2);
  }
}

void paletteBlackToGreens(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    if (!colorIsBlack(e) || e[3] >= kOpaque) continue;
    e[1] = e[3] == 0 ? 255 : static_cast<uint8_t>(2 * (kOpaque - e[3]));
  }
}

void paletteBlackToGreensNormal(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    if (colorIsBlack(e)) e[1] = static_cast<uint8_t>(255 - e[3]);
  }
}

void paletteBlackToOddGreens(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    if (colorIsBlack(e) && e[3] >= 1 && e[3] < kOpaque) e[1] = oddShade(e[3]);
  }
}

void paletteBlackToOddMagentas(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    if (!colorIsBlack(e) || e[3] < 1 || e[3] >= kOpaque) continue;
    uint8_t shade = oddShade(e[3]);
    setRgb(e, shade, 0, shade);
  }
}

void paletteOddGreensToBlack(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    if (e[3] != kOpaque && isOddGreen(e)) colorSetBlack(e);
  }
}

void paletteOddMagentasToBlack(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    if (e[3] != kOpaque && isOddMagenta(e)) colorSetBlack(e);
  }
}

void paletteAlphaFromMarks(uint8_t* pal, uint32_t count, bool green) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    if (i == 0 && colorIsMagenta(e))
      e[3] = 0;
    else if (green ? isOddGreen(e) : isOddMagenta(e))
      e[3] = alphaOfShade(green ? e[1] : e[0]);
    else
      e[3] = kOpaque;
  }
}

void paletteApplyAlphaBlack(uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    if (e[3] >= kOpaque) continue;
    for (int c = 0; c < 3; ++c) e[c] = static_cast<uint8_t>((e[c] * e[3]) >> 7);
  }
}

void paletteApplyAlphaOver(uint8_t* pal, uint32_t count, uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t bg[3] = {r, g, b};
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    uint32_t a = e[3];
    if (a >= kOpaque) continue;
    for (int c = 0; c < 3; ++c)
      e[c] = static_cast<uint8_t>((bg[c] * (kOpaque - a)) / kOpaque + (e[c] * a) / kOpaque);
  }
}

void paletteApplyAlphaOverNormal(uint8_t* pal, uint32_t count, uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t bg[3] = {r, g, b};
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = entry(pal, i);
    uint32_t a = e[3];
    for (int c = 0; c < 3; ++c)
      e[c] = static_cast<uint8_t>((e[c] * a) / 255 + (bg[c] * (255 - a)) / 255);
  }
}

uint32_t paletteMakeDistinct(uint8_t* pal, uint32_t count) {
  uint32_t changedBefore = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t k = 0;
    for (uint32_t j = 0; j < count; ++j) {
      if (j == i || !sameColour(entry(pal, j), entry(pal, i))) continue;
      uint8_t& blue = entry(pal, j)[2];
      blue =
          blue + k < 255 ? static_cast<uint8_t>(blue + k + 1) : static_cast<uint8_t>(blue - k - 1);
      ++k;
      if (j < i) ++changedBefore;
    }
  }
  return changedBefore;
}

uint32_t palettePrintDuplicates(const uint8_t* pal, uint32_t count, const char* name,
                                const Messages& messages) {
  uint32_t found = 0;
  for (uint32_t index = 0; index < count; ++index) {
    const uint8_t* e = entry(pal, index);
    std::string line;
    for (uint32_t i = index + 1; i < count; ++i) {
      if (!sameColour(entry(pal, i), e)) continue;
      if (!line.empty())
        line += formatText(", %u", i);
      else
        line = formatText("WARN: index %u color (#%02X%02X%02X) same as : %u", index, e[0], e[1],
                          e[2], i) +
               (name ? formatText(" : %s", name) : std::string());
    }
    if (line.empty()) continue;
    report(messages, "%s\n", line.c_str());
    ++found;
  }
  return found;
}

void pixels8To32(uint8_t* dst, const uint8_t* pixels, const uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) std::memcpy(dst + 4 * i, entry(pal, pixels[i]), 4);
}

void pixels4To32(uint8_t* dst, const uint8_t* pixels, const uint8_t* pal, uint32_t count) {
  for (uint32_t i = 0; i < count / 2; ++i) {
    std::memcpy(dst + 8 * i, entry(pal, pixels[i] & 0x0F), 4);
    std::memcpy(dst + 8 * i + 4, entry(pal, pixels[i] >> 4), 4);
  }
  if (count & 1) std::memcpy(dst + 4 * (count - 1), entry(pal, pixels[count / 2] & 0x0F), 4);
}

void pixels4To32Rows(uint8_t* dst, const uint8_t* pixels, const uint8_t* pal, uint32_t width,
                     uint32_t height) {
  uint32_t rowBytes = (width + 1) / 2;
  for (uint32_t y = 0; y < height; ++y)
    pixels4To32(dst + 4 * static_cast<size_t>(width) * y,
                pixels + static_cast<size_t>(rowBytes) * y, pal, width);
}

void mergeUnlessKey(const uint8_t* src, uint8_t* dst, uint32_t len, uint8_t key) {
  for (uint32_t i = 0; i < len; ++i)
    if (src[i] != key) dst[i] = src[i];
}

void mergeByMask(uint8_t* dst, const uint8_t* src, const uint8_t* mask, uint32_t len) {
  for (uint32_t i = 0; i < len; ++i)
    if (mask[i] != 0) dst[i] = src[i];
}

void mergeByMask4(uint8_t* dst, const uint8_t* src, const uint8_t* mask, uint32_t len) {
  for (uint32_t i = 0; i < len; ++i) {
    uint8_t keep = 0;
    if (mask[i] & 0x0F) keep |= 0x0F;
    if (mask[i] & 0xF0) keep |= 0xF0;
    dst[i] = static_cast<uint8_t>((dst[i] & ~keep) | (src[i] & keep));
  }
}

void pixelsSetWhereAlpha(uint8_t* pixels, const uint8_t* pal, uint32_t len, uint8_t idx) {
  for (uint32_t i = 0; i < len; ++i)
    if (entry(pal, pixels[i])[3] != kOpaque) pixels[i] = idx;
}

void pixelsSetWhereOpaque(uint8_t* pixels, const uint8_t* pal, uint32_t len, uint8_t idx) {
  for (uint32_t i = 0; i < len; ++i)
    if (entry(pal, pixels[i])[3] == kOpaque) pixels[i] = idx;
}

void paletteImport(uint8_t* pal, uint32_t count, bool swizzle, uint32_t flags) {
  paletteSwapRB(pal, count);
  if (swizzle) paletteSwizzle(pal, count);
  if (flags == kPalFlagsDefault && count > 0) {
    paletteSetAlpha(pal, count, kOpaque);
    pal[3] = 0;
  }
}
