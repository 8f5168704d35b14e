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
#include <cstdio>

enum : uint32_t {
  kBmpFileHeaderSize = 14,
  kBmpInfoHeaderSize = 40,
  kBmpHeadersSize = 54,
  kBmpMagic = 0x4D42,  // "BM"
  kBmpMaxPaletteEntries = 256,
  kBmpMaxPaletteBytes = 1024,
};

// One whole BMP file in memory. The record owns `buffer`; the other pointers
// point into it.
struct BmpImage {
  uint8_t* fileHeader = nullptr;  // buffer
  uint8_t* infoHeader = nullptr;  // buffer + 14
  uint8_t* palette = nullptr;     // buffer + 14 + biSize when bpp <= 8, else null
  uint8_t* pixels = nullptr;      // buffer + bfOffBits
  uint8_t* buffer = nullptr;
  uint32_t size = 0;              // bytes in buffer
  const char* name = nullptr;     // ends the check messages (not owned)
  FILE* stream = nullptr;         // where the check messages go (standard error)
};

// Geometry, all from absolute width and height.
uint32_t bmpRowBytesFor(uint32_t width, uint32_t bpp);
uint32_t bmpStrideFor(uint32_t width, uint32_t bpp);
uint32_t bmpRawSizeFor(uint32_t width, uint32_t height, uint32_t bpp);
uint32_t bmpBitmapSizeFor(uint32_t width, uint32_t height, uint32_t bpp);
// 2^bpp for bpp <= 8, else 0 (no palette).
uint32_t bmpPaletteEntriesFor(uint32_t bpp);

// Header checks. Returns 0 when acceptable, 1 when not; prints at most one
// ERROR line (plus perhaps one WARN line) to `stream`.
int bmpValidate(const uint8_t* fileHeader, const uint8_t* infoHeader, const char* name,
                FILE* stream);
// Buffer-level checks, then bmpValidate with the record's name and stream.
int bmpCheckBuffer(const BmpImage* image);

// Wraps a whole BMP file (malloc'ed; the record takes it over) and checks it.
// Run-length encoded pixels (8- and 4-bit) are decoded into a new buffer laid
// out as an uncompressed file. On a failed check or a broken encoding the
// buffer is freed and null returned.
BmpImage* bmpFromBuffer(uint8_t* buffer, uint32_t size, const char* name = nullptr);
BmpImage* bmpFromCopy(const uint8_t* data, uint32_t size, const char* name = nullptr);
// Null when the file cannot be read or fails the checks.
BmpImage* bmpLoad(const char* path);
// As bmpLoad; ends the process when the file cannot be read or is refused.
BmpImage* bmpLoadE(const char* path);
// A new picture with zero palette and zero pixels, headers as written by bmpSaveRaw.
BmpImage* bmpCreate(int32_t width, int32_t height, uint32_t bpp);
// bmpCreate, then the raw rows (bottom-up in the file when `flip`) and the
// palette (BMP order, or zeros when null) copied in.
BmpImage* bmpCreateFromRaw(int32_t width, int32_t height, uint32_t bpp, const uint8_t* raw,
                           const uint8_t* palette, bool flip);
void bmpFree(BmpImage* image);
// Frees the record but not its buffer, which is returned to the caller.
uint8_t* bmpDetach(BmpImage* image);

// Accessors.
int32_t bmpWidth(const BmpImage* image);
uint32_t bmpWidthAbs(const BmpImage* image);
int32_t bmpHeight(const BmpImage* image);
uint32_t bmpHeightAbs(const BmpImage* image);
uint32_t bmpBpp(const BmpImage* image);
uint32_t bmpStride(const BmpImage* image);
uint32_t bmpRowBytes(const BmpImage* image);
uint32_t bmpBitmapSize(const BmpImage* image);
uint32_t bmpRawSize(const BmpImage* image);
uint8_t* bmpPalette(const BmpImage* image);
// biClrUsed when non-zero (at most 256), else 2^bpp; 0 without a palette.
uint32_t bmpPaletteEntries(const BmpImage* image);
uint32_t bmpPaletteBytes(const BmpImage* image);
uint8_t* bmpPixels(const BmpImage* image);
uint8_t* bmpBuffer(const BmpImage* image);
uint32_t bmpSize(const BmpImage* image);
void bmpNegateHeight(BmpImage* image);

// Reorders the pixel rows in place so that they run top-down; afterwards
// biHeight is positive (it no longer means bottom-up).
void bmpMakeTopDown(BmpImage* image);
// A new raw buffer (malloc'ed) of bmpRawSize bytes; rows reversed when `flip`.
uint8_t* bmpExtractRaw(const BmpImage* image, bool flip);
// bmpExtractRaw with `flip` set exactly when the rows are stored bottom-up.
uint8_t* bmpExtractRawAuto(const BmpImage* image);
// Converts in place between BMP and raw pixel order (its own inverse).
// Ends the process for depths other than 4, 8, 24 and 32.
void bmpToRaw(uint8_t* data, uint32_t pixelCount, uint32_t bpp);

// Turns a loaded image into its raw array and frees the record: the rows are
// made top-down and compacted inside the image's own buffer, which is
// returned (shrunk to the raw size). The palette (BMP order, palette bytes) is
// copied to *palette when palette is given and the depth has one; *palette
// null gets a new zero-filled 1024-byte block. `convert` false leaves the
// pixel bytes in BMP order.
uint8_t* bmpRawFromImage(BmpImage* image, uint32_t* width, uint32_t* height, uint32_t* bpp,
                         uint8_t** palette, bool convert);
// Loads a BMP file as raw; null when it cannot be read or is refused.
uint8_t* bmpLoadRaw(const char* path, uint32_t* width, uint32_t* height, uint32_t* bpp,
                    uint8_t** palette);
uint8_t* bmpLoadRawE(const char* path, uint32_t* width, uint32_t* height, uint32_t* bpp);

// Writes raw pixels as a BMP file. A positive height writes bottom-up rows,
// which is what `flip` is for; `pad` pads each row to the stride; `convert`
// turns raw pixel order into BMP order. Palette in BMP order (palette entries
// for bpp), zeros when null. Returns 0 on success, 1 on failure.
int bmpSaveRaw(const char* path, const uint8_t* raw, int32_t width, int32_t height, uint32_t bpp,
               const uint8_t* palette, bool flip, bool pad, bool convert);
// bmpSaveRaw with flip, pad and convert; ends the process on failure.
void bmpSaveRawE(const char* path, const uint8_t* raw, int32_t width, int32_t height,
                 uint32_t bpp, const uint8_t* palette);
// Writes the image's whole buffer; non-zero when not all of it was written.
int bmpSaveImage(const BmpImage* image, const char* path);
