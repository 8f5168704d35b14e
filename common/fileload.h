// Whole-file load and save. The tools word their failures in one of two
// families: the plain one ("... : path") and the quoted one ("... 'path'").
#pragma once

#include <cstdint>
#include <vector>

#include "common/outcome.h"

enum class FileWording { Plain, Quoted };

// Reads a whole file into a new block of before + size + after bytes, the data
// starting `before` bytes in. *size is -1 for a missing or unreadable file,
// 0 for an empty one, the block size asked for when allocation failed.
// Returns null on failure; the block is released with std::free.
uint8_t* fileLoad(const char* path, long* size, uint32_t before, uint32_t after);
// The failure of a fileLoad that returned null with *size, in either wording.
Status fileLoadFailure(const char* path, long size, FileWording wording);
// The whole file after `before` zero bytes; the data is value.size() - before bytes.
Result<std::vector<uint8_t>> loadFile(const char* path, FileWording wording, uint32_t before = 0);

// Creates or truncates the file and writes the data; returns bytes written
// (0 when the file cannot be created). The whole file or nothing: a failed
// write leaves an existing file as it was (the output is often the input).
uint32_t fileSave(const char* path, const void* data, uint32_t length);
// fileSave whose failure is "couldn't write data (N bytes) to file" in either wording.
Status saveFile(const char* path, const void* data, uint32_t length, FileWording wording);
