// Placeholder bodies while the library is being written.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "bmp/bmp.h"
#include "bmp/palette.h"
#include "common/diag.h"

uint32_t bmpRowBytesFor(uint32_t width, uint32_t bpp) {
  fatal("ERROR: %s not available yet\n", "bmpRowBytesFor");
}

uint32_t bmpStrideFor(uint32_t width, uint32_t bpp) {
  fatal("ERROR: %s not available yet\n", "bmpStrideFor");
}

uint32_t bmpRawSizeFor(uint32_t width, uint32_t height, uint32_t bpp) {
  fatal("ERROR: %s not available yet\n", "bmpRawSizeFor");
}

uint32_t bmpBitmapSizeFor(uint32_t width, uint32_t height, uint32_t bpp) {
  fatal("ERROR: %s not available yet\n", "bmpBitmapSizeFor");
}

uint32_t bmpPaletteEntriesFor(uint32_t bpp) {
  fatal("ERROR: %s not available yet\n", "bmpPaletteEntriesFor");
}

int bmpValidate(const uint8_t* fileHeader, const uint8_t* infoHeader, const char* name, FILE* stream) {
  fatal("ERROR: %s not available yet\n", "bmpValidate");
}

int bmpCheckBuffer(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpCheckBuffer");
}

BmpImage* bmpFromBuffer(uint8_t* buffer, uint32_t size, const char* name) {
  fatal("ERROR: %s not available yet\n", "bmpFromBuffer");
}

BmpImage* bmpFromCopy(const uint8_t* data, uint32_t size, const char* name) {
  fatal("ERROR: %s not available yet\n", "bmpFromCopy");
}

BmpImage* bmpLoad(const char* path) {
  fatal("ERROR: %s not available yet\n", "bmpLoad");
}

BmpImage* bmpLoadE(const char* path) {
  fatal("ERROR: %s not available yet\n", "bmpLoadE");
}

BmpImage* bmpCreate(int32_t width, int32_t height, uint32_t bpp) {
  fatal("ERROR: %s not available yet\n", "bmpCreate");
}

BmpImage* bmpCreateFromRaw(int32_t width, int32_t height, uint32_t bpp, const uint8_t* raw, const uint8_t* palette, bool flip) {
  fatal("ERROR: %s not available yet\n", "bmpCreateFromRaw");
}

void bmpFree(BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpFree");
}

uint8_t* bmpDetach(BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpDetach");
}

int32_t bmpWidth(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpWidth");
}

uint32_t bmpWidthAbs(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpWidthAbs");
}

int32_t bmpHeight(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpHeight");
}

uint32_t bmpHeightAbs(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpHeightAbs");
}

uint32_t bmpBpp(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpBpp");
}

uint32_t bmpStride(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpStride");
}

uint32_t bmpRowBytes(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpRowBytes");
}

uint32_t bmpBitmapSize(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpBitmapSize");
}

uint32_t bmpRawSize(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpRawSize");
}

uint8_t* bmpPalette(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpPalette");
}

uint32_t bmpPaletteEntries(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpPaletteEntries");
}

uint32_t bmpPaletteBytes(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpPaletteBytes");
}

uint8_t* bmpPixels(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpPixels");
}

uint8_t* bmpBuffer(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpBuffer");
}

uint32_t bmpSize(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpSize");
}

void bmpNegateHeight(BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpNegateHeight");
}

void bmpMakeTopDown(BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpMakeTopDown");
}

uint8_t* bmpExtractRaw(const BmpImage* image, bool flip) {
  fatal("ERROR: %s not available yet\n", "bmpExtractRaw");
}

uint8_t* bmpExtractRawAuto(const BmpImage* image) {
  fatal("ERROR: %s not available yet\n", "bmpExtractRawAuto");
}

void bmpToRaw(uint8_t* data, uint32_t pixelCount, uint32_t bpp) {
  fatal("ERROR: %s not available yet\n", "bmpToRaw");
}

uint8_t* bmpRawFromImage(BmpImage* image, uint32_t* width, uint32_t* height, uint32_t* bpp, uint8_t** palette, bool convert) {
  fatal("ERROR: %s not available yet\n", "bmpRawFromImage");
}

uint8_t* bmpLoadRaw(const char* path, uint32_t* width, uint32_t* height, uint32_t* bpp, uint8_t** palette) {
  fatal("ERROR: %s not available yet\n", "bmpLoadRaw");
}

uint8_t* bmpLoadRawE(const char* path, uint32_t* width, uint32_t* height, uint32_t* bpp) {
  fatal("ERROR: %s not available yet\n", "bmpLoadRawE");
}

int bmpSaveRaw(const char* path, const uint8_t* raw, int32_t width, int32_t height, uint32_t bpp, const uint8_t* palette, bool flip, bool pad, bool convert) {
  fatal("ERROR: %s not available yet\n", "bmpSaveRaw");
}

void bmpSaveRawE(const char* path, const uint8_t* raw, int32_t width, int32_t height, uint32_t bpp, const uint8_t* palette) {
  fatal("ERROR: %s not available yet\n", "bmpSaveRawE");
}

int bmpSaveImage(const BmpImage* image, const char* path) {
  fatal("ERROR: %s not available yet\n", "bmpSaveImage");
}

uint32_t paletteExportColours(uint8_t* pal, uint32_t count, const PaletteExport& how) {
  fatal("ERROR: %s not available yet\n", "paletteExportColours");
}

int paletteExportSave32(const char* path, const uint8_t* raw, uint32_t width, uint32_t height, uint32_t bpp, uint8_t* pal, bool normalAlpha) {
  fatal("ERROR: %s not available yet\n", "paletteExportSave32");
}
