// The extraction mode: chosen files of the image copied out byte for byte.
#pragma once

#include <cstdint>

#include "lba/copyahead.h"
#include "lba/lba_image.h"

// One item of an index list ("1,0015-0017,19"): its range and the rest of the
// text, or null when the text is used up.
const char* nextIndexRange(const char* text, int32_t* low, int32_t* high);

void lbaExtractList(const char* imagePath, const char* indexList, const char* prefix);
void lbaExtractIndexFile(const char* imagePath, const char* indexFile, const char* prefix,
                         bool useLineAsName);
// Writes file `fileIndex` to prefixBuffer + its name; `lineName` (or null)
// replaces the generated name. With a copy-ahead queue the file may still be
// copying when this returns.
void lbaExtractFile(LbaImage* image, uint32_t fileIndex, char* prefixBuffer, const char* lineName,
                    LbaCopyAhead* ahead = nullptr);

// A decimal number the way strtol reads it, kept within 32 bits.
int32_t lbaReadIndex(const char* text, const char** end);
