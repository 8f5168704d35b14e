// Whole-file load and save. The load family ("E") and the quoted family ("Q")
// do the same job with different messages; each tool uses one of them.
#pragma once

#include <cstdint>

// Reads a whole file into a new block of before + size + after bytes, the data
// starting `before` bytes in. *size is -1 for a missing or unreadable file,
// 0 for an empty one, the block size asked for when allocation failed.
// Returns null on failure.
uint8_t* fileLoad(const char* path, long* size, uint32_t before, uint32_t after);
uint8_t* fileLoadE(const char* path, long* size, uint32_t before, uint32_t after);
uint8_t* fileLoadQ(const char* path, long* size);

// Creates or truncates the file and writes the data; returns bytes written
// (0 when the file cannot be created).
uint32_t fileSave(const char* path, const void* data, uint32_t length);
uint32_t fileSaveE(const char* path, const void* data, uint32_t length);
uint32_t fileSaveQ(const char* path, const void* data, uint32_t length);
