// Names of the files of a disc image: the file index, an extension guessed
// from the file's first bytes and, for compressed files, the compression type.
#pragma once

#include <cstdint>

// Extension for a file whose first 16 bytes are `data`, or null.
const char* detectExtension(const uint8_t* data, bool compressed);
// The game's loader knows the compression types 0 (stored), 1 and 2.
bool knownCompressionType(uint8_t type);
// ".c0", ".c1", ".c2" by the compressed file's type byte, ".cx" otherwise.
const char* compressionSuffix(const uint8_t* data, uint32_t n);
// Writes the output name (at most 13 characters) into `buffer` (17 or more).
char* lbaFileName(char* buffer, uint32_t fileIndex, bool compressed, const uint8_t* data,
                  uint32_t n);
