// Builds BMP files byte by byte for the tests, the way image editors write
// them, without going through the library under test.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "tests/support/bytes.h"

struct BmpLayout {
  int32_t width = 0;
  int32_t height = 0;  // negative: rows are stored top-down
  uint16_t bpp = 8;
  uint32_t infoSize = 40;
  uint32_t clrUsed = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  Bytes palette;            // blue, green, red, fourth byte per entry
  std::vector<Bytes> rows;  // in file order, unpadded; padded to 4 here
};

inline Bytes buildBmp(const BmpLayout& s) {
  Bytes out(14 + s.infoSize, 0);
  out.insert(out.end(), s.palette.begin(), s.palette.end());
  const uint32_t offBits = static_cast<uint32_t>(out.size());
  for (const Bytes& row : s.rows) {
    out.insert(out.end(), row.begin(), row.end());
    while ((out.size() - offBits) % 4) out.push_back(0);
  }
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<uint32_t>(out.size()));
  put32(out, 10, offBits);
  put32(out, 14, s.infoSize);
  put32(out, 18, static_cast<uint32_t>(s.width));
  put32(out, 22, static_cast<uint32_t>(s.height));
  put16(out, 26, 1);
  put16(out, 28, s.bpp);
  put32(out, 30, s.compression);
  put32(out, 34, s.sizeImage);
  put32(out, 46, s.clrUsed);
  return out;
}

// A palette of `count` entries whose entry i is (blue i, green 2i, red 3i, i).
inline Bytes rampPalette(uint32_t count) {
  Bytes p;
  for (uint32_t i = 0; i < count; ++i) {
    p.push_back(static_cast<uint8_t>(i));
    p.push_back(static_cast<uint8_t>(2 * i));
    p.push_back(static_cast<uint8_t>(3 * i));
    p.push_back(static_cast<uint8_t>(i));
  }
  return p;
}

// ImageMagick's own convert (another program of that name may come first on
// the PATH).
inline const std::string kMagick = "/usr/bin/convert";
inline bool haveMagick() { return fileExists(kMagick); }
// Runs ImageMagick's convert with `args`; true when it succeeded.
inline bool magick(const std::string& args) {
  return std::system((kMagick + " " + args + " 2>/dev/null").c_str()) == 0;
}

// An independent decoder for written files: ImageMagick's convert, when installed.
inline bool haveDecoder() { return haveMagick(); }

// Red, green, blue bytes of every pixel of a picture file, rows top-down.
inline Bytes decodeRgb(const std::string& path) {
  std::string command = kMagick + " '" + path + "' -depth 8 rgb:- 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  Bytes out;
  if (!pipe) return out;
  uint8_t buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.insert(out.end(), buf, buf + n);
  pclose(pipe);
  return out;
}

// Raw pixels written as the picture tools write them (bottom-up, padded,
// BMP pixel order); the failure's message, empty on success.
inline std::string saveRawBmp(const std::string& path, const Bytes& raw, int32_t width,
                              int32_t height, uint32_t bpp, const uint8_t* palette) {
  return bmpSaveRaw(path.c_str(), raw.data(), width, height, bpp, palette, true, true, true,
                    Messages())
      .message;
}
