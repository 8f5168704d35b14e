// BMP reading, checking and writing for the picture tools.
//
// The tools keep pictures in a "raw" form: rows top-down, each exactly
// bmpRowBytesFor(width, bpp) long, no padding. 8-bit: one palette index per
// byte; 4-bit: two pixels per byte, the left pixel in the LOW nibble (BMP has
// it in the high one); 24-bit: red, green, blue; 32-bit: red, green, blue,
// fourth byte (BMP stores blue first). Palettes handed in and out are in BMP
// byte order: blue, green, red, fourth byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"

enum : uint32_t {
  kBmpFileHeaderSize = 14,
  kBmpInfoHeaderSize = 40,
  kBmpHeadersSize = 54,
  kBmpMagic = 0x4D42,  // "BM"
  kBmpMaxPaletteEntries = 256,
  kBmpMaxPaletteBytes = 1024,
};

// One whole BMP file in memory, checked; run-length encoded pixels are
// already decoded into the layout of an uncompressed file.
struct BmpImage {
  std::vector<uint8_t> bytes;
  uint32_t paletteAt = 0;  // file offset of the palette; 0 when the depth has none
  uint32_t pixelsAt = 0;   // bfOffBits
  std::string name;        // ends the check messages
};

// Geometry, all from absolute width and height.
uint32_t bmpRowBytesFor(uint32_t width, uint32_t bpp);
uint32_t bmpStrideFor(uint32_t width, uint32_t bpp);
uint32_t bmpRawSizeFor(uint32_t width, uint32_t height, uint32_t bpp);
uint32_t bmpBitmapSizeFor(uint32_t width, uint32_t height, uint32_t bpp);
// 2^bpp for bpp <= 8, else 0 (no palette).
uint32_t bmpPaletteEntriesFor(uint32_t bpp);

// Header checks: the failure is one ERROR line; a WARN line (and an ERROR
// line the work goes on after) go to `messages`. Every line ends with "\n ".
Status bmpValidate(const uint8_t* fileHeader, const uint8_t* infoHeader, const char* name,
                   const Messages& messages);
// Buffer-level checks of a whole file in memory, then bmpValidate.
Status bmpCheckBuffer(const uint8_t* data, uint32_t size, const char* name,
                      const Messages& messages);

// A BMP file from its bytes: checked, run-length encoded pixels decoded.
Result<BmpImage> bmpRead(std::vector<uint8_t> bytes, const char* name, const Messages& messages);
// bmpRead of a file; one that cannot be read fails without a message.
Result<BmpImage> bmpLoad(const char* path, const Messages& messages);
// A new picture with the raw rows (bottom-up in the file when `flip`) and
// the palette (BMP order, or zeros when null) copied in.
Result<BmpImage> bmpCreateFromRaw(int32_t width, int32_t height, uint32_t bpp, const uint8_t* raw,
                                  const uint8_t* palette, bool flip);

// Accessors.
int32_t bmpWidth(const BmpImage& image);
uint32_t bmpWidthAbs(const BmpImage& image);
int32_t bmpHeight(const BmpImage& image);
uint32_t bmpHeightAbs(const BmpImage& image);
uint32_t bmpBpp(const BmpImage& image);
uint32_t bmpStride(const BmpImage& image);
uint32_t bmpRowBytes(const BmpImage& image);
uint32_t bmpBitmapSize(const BmpImage& image);
uint32_t bmpRawSize(const BmpImage& image);
// Null when the depth has no palette.
const uint8_t* bmpPalette(const BmpImage& image);
// biClrUsed when non-zero (at most 256), else 2^bpp; 0 without a palette.
uint32_t bmpPaletteEntries(const BmpImage& image);
uint32_t bmpPaletteBytes(const BmpImage& image);
const uint8_t* bmpPixels(const BmpImage& image);

// Reorders the pixel rows in place so that they run top-down; afterwards
// biHeight is positive (it no longer means bottom-up).
void bmpMakeTopDown(BmpImage& image);
// Converts in place between BMP and raw pixel order (its own inverse); other
// depths than 4, 8, 24 and 32 fail.
Status bmpToRaw(uint8_t* data, uint32_t pixelCount, uint32_t bpp);

// A picture in raw form with the file's palette (BMP order, empty without).
struct BmpRaw {
  uint32_t width = 0, height = 0, bpp = 0;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> palette;
};
// The raw rows of a picture, top-down whichever way the file stores them.
Result<std::vector<uint8_t>> bmpExtractRaw(const BmpImage& image);
// Turns a loaded image into its raw form inside its own buffer. `convert`
// false leaves the pixel bytes in BMP order.
Result<BmpRaw> bmpRawFromImage(BmpImage image, bool convert);
// bmpLoad, then the raw form in raw pixel order.
Result<BmpRaw> bmpLoadRaw(const char* path, const Messages& messages);

// The 54 header bytes the library writes; false when the picture would not
// fit a file the tools can handle.
bool bmpWriteHeaders(uint8_t* headers, int32_t width, int32_t height, uint32_t bpp);
// Raw pixels as the bytes of a BMP file. A positive height writes bottom-up
// rows, which is what `flip` is for; `pad` pads each row to the stride;
// `convert` turns raw pixel order into BMP order. Palette in BMP order
// (palette entries for bpp), zeros when null. The failure names `name`:
// "ERROR: cannot save data as BMP file : NAME".
Result<std::vector<uint8_t>> bmpEncodeRaw(const uint8_t* raw, int32_t width, int32_t height,
                                          uint32_t bpp, const uint8_t* palette, bool flip, bool pad,
                                          bool convert, const char* name, const Messages& messages);
// bmpEncodeRaw written to `path`, which is replaced only by a complete file.
Status bmpSaveRaw(const char* path, const uint8_t* raw, int32_t width, int32_t height, uint32_t bpp,
                  const uint8_t* palette, bool flip, bool pad, bool convert,
                  const Messages& messages);
// Writes the image's whole buffer; the failure as for bmpSaveRaw.
Status bmpSaveImage(const BmpImage& image, const char* path);
