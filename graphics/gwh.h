// The game's ".gwh" pictures: a 16-byte header (width, height, 8 zero
// bytes), a 256-entry RGBA palette in game block order, then width x height
// 8-bit pixels, rows top-down.
#pragma once

#include <cstdint>
#include <cstdio>

enum : uint32_t {
  kGwhHeaderSize = 16,
  kGwhPaletteBytes = 1024,
  kGwhPixelsOffset = kGwhHeaderSize + kGwhPaletteBytes,  // 1040
  kGwhPaletteEntries = 256,
};

struct GwhFile {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t* palette = nullptr;  // data + 16
  uint8_t* pixels = nullptr;   // data + 1040
  uint32_t pixelCount = 0;     // width * height
  uint8_t* data = nullptr;     // the whole file (owned)
  uint32_t size = 0;
  const char* name = nullptr;  // the path the file was read from
  uint8_t key = 0;             // the index "-m" does not import
};

enum class GwhMode { None, Print, Export, Import, Create };

struct GwhOptions {
  GwhMode mode = GwhMode::None;
  const char* first = nullptr;
  const char* second = nullptr;
  const char* third = nullptr;  // optional
  bool mask = false;            // "-m"
  bool noChange = false;        // "-n"
  bool green = false;           // "-g"
};

// Fills the record from gwh->data and gwh->size and checks it; ends the
// process on a fatal finding.
void kvogwhSetAndValidate(GwhFile* gwh);
// The same checks and messages, returning 1 instead of ending the process.
int gwhCheck(GwhFile* gwh);
// Reads and checks a ".gwh" file; ends the process when it cannot.
GwhFile gwhLoad(const char* path);
void gwhFree(GwhFile* gwh);
// The "-p" listing.
void gwhPrint(const GwhFile* gwh, FILE* stream);

// kvogwh's way of reading a BMP: a file that cannot be read ends the process
// with "ERROR: cannot load file to memory : %s : %s\n"; a file refused by the
// BMP checks gives null. Pixel bytes keep the BMP order.
struct BmpImage;
BmpImage* gwhBmpLoad(const char* path);

void gwhPrintMode(const GwhOptions& opt);
void gwhExport(const GwhOptions& opt);
void gwhCreate(const GwhOptions& opt);
void gwhImport(const GwhOptions& opt);
