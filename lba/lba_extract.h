// The extraction mode: chosen files of the image copied out byte for byte.
#pragma once

#include <cstdint>

#include "common/outcome.h"
#include "lba/lba_image.h"

// One item of an index list ("1,0015-0017,19"): its range and the rest of the
// text, or null when the text is used up.
const char* nextIndexRange(const char* text, int32_t* low, int32_t* high);

// kvolba -e: the files of the index list written to prefix + their names
// (an index list "--texts", or none, extracts nothing).
Status lbaExtractList(const char* imagePath, const char* indexList, const char* prefix,
                      const LbaSettings& settings, const Messages& messages);
// kvolba -e -f / -fs: the indexes read from a file, one per line; with
// useLineAsName the rest of the line names the output.
Status lbaExtractIndexFile(const char* imagePath, const char* indexFile, const char* prefix,
                           bool useLineAsName, const LbaSettings& settings,
                           const Messages& messages);

// A decimal number the way strtol reads it, kept within 32 bits.
int32_t lbaReadIndex(const char* text, const char** end);
