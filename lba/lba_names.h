// Names of the files of a disc image: the file index, an extension guessed
// from the file's first bytes and, for compressed files, the compression type.
#pragma once

#include <cstdint>
#include <string>

// Extension for a file whose first 16 bytes are `data`, or null.
const char* detectExtension(const uint8_t* data, bool compressed);
// The game's loader knows the compression types 0 (stored), 1 and 2.
bool knownCompressionType(uint8_t type);
// ".c0", ".c1", ".c2" by the compressed file's type byte, ".cx" otherwise.
const char* compressionSuffix(const uint8_t* data, uint32_t n);
// The compression type of a compressed file whose first `n` bytes are `data`:
// its first byte, or -1 when there is none.
int lbaCompressionType(const uint8_t* data, uint32_t n);
// The output name without the compression suffix: the index and the guessed
// extension ("0001.vvm"); `data` holds the file's first `n` bytes (16 or more
// needed for an extension).
std::string lbaBaseName(uint32_t fileIndex, bool compressed, const uint8_t* data, uint32_t n);
// The whole output name (at most 13 characters for indexes below 10000):
// lbaBaseName plus, for a compressed file, compressionSuffix.
std::string lbaFileName(uint32_t fileIndex, bool compressed, const uint8_t* data, uint32_t n);
