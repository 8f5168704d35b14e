// The game's ".gwh" pictures: a 16-byte header (width, height, 8 zero
// bytes), a 256-entry RGBA palette in game block order, then width x height
// 8-bit pixels, rows top-down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"

enum : uint32_t {
  kGwhHeaderSize = 16,
  kGwhPaletteBytes = 1024,
  kGwhPixelsOffset = kGwhHeaderSize + kGwhPaletteBytes,  // 1040
  kGwhPaletteEntries = 256,
};

// A checked ".gwh" file; the palette and pixels lie at their fixed offsets.
struct GwhFile {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t pixelCount = 0;  // width * height
  std::vector<uint8_t> data;
  std::string name;
  uint8_t* palette() { return data.data() + kGwhHeaderSize; }
  uint8_t* pixels() { return data.data() + kGwhPixelsOffset; }
};

// How the colours are converted: "-n" and "-g".
struct GwhColours {
  bool noChange = false;
  bool green = false;
};

// The checks of a ".gwh" file: yes (ok) or the reason (one ERROR line). The
// warning about bytes 8-16 goes to `messages`.
Status gwhCheck(const uint8_t* data, size_t size, const char* name, const Messages& messages);
// A checked ".gwh" picture from its bytes.
Result<GwhFile> gwhRead(std::vector<uint8_t> bytes, const char* name, const Messages& messages);

// "-e": the picture as the bytes of an 8-bit BMP file (`bmpName` named in
// its failure).
Result<std::vector<uint8_t>> gwhToBmp(GwhFile gwh, const GwhColours& colours, const char* bmpName,
                                      const Messages& messages);
// "-c": a new ".gwh" from the bytes of an 8-bit BMP, palette included.
Result<std::vector<uint8_t>> gwhFromBmp(std::vector<uint8_t> bmp, const char* bmpName,
                                        const GwhColours& colours, const Messages& messages);
// "-i": the pixels of an edited BMP put into the picture, whose header and
// palette stay; with `mask` pixels of index 0 are not taken.
Status gwhImportBmp(GwhFile& gwh, std::vector<uint8_t> bmp, const char* bmpName, bool mask,
                    const Messages& messages);
