// File access by path as the text and disc image tools word it.
#pragma once

#include <cstdint>
#include <vector>

#include "common/outcome.h"

// The size of a regular file below 2 GiB: "ERROR: cant get size of file : PATH" otherwise.
Result<uint32_t> regularFileSize(const char* path);
// A whole regular file of at least one byte; the failures are
// "ERROR: cant read(find) "PATH"", "ERROR: file "PATH" has zero size",
// "ERROR: error allocating N bytes" and "ERROR: error reading from "PATH"".
Result<std::vector<uint8_t>> loadRegularFile(const char* path);
// The whole file as the stat family loads it: regularFileSize's failure, then
// "ERROR: file "PATH" has zero size", then the named stream's open and read
// failures. A file that shrank since it was measured reads as zeros at its end.
Result<std::vector<uint8_t>> loadSizedFile(const char* path);
