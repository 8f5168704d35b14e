// Stream operations that return their failure instead of ending the process.
// The named ones take the path the stream was opened with so that every
// message names the file; the unnamed ones (the disc image tool's set) name
// only the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "common/outcome.h"

// "ERROR: can't open file : PATH : REASON"; the unnamed streams open the same way.
Result<FILE*> openStream(const char* path, const char* mode);
// The outcome of any open: the stream, or that failure with errno's reason.
Result<FILE*> openedOrFailure(FILE* fp, const char* path);
Status seekNamed(FILE* fp, const char* path, int32_t offset, int origin);
// A short read at the end of the file is no failure: value is what was read.
Result<size_t> readNamed(FILE* fp, const char* path, void* buffer, size_t size, size_t count);
Status writeNamed(FILE* fp, const char* path, const void* buffer, size_t size, size_t count);
// Closes the stream in any case.
Status closeNamed(FILE* fp, const char* path);

Status seekUnnamed(FILE* fp, int64_t offset, int origin);
Result<size_t> readUnnamed(FILE* fp, void* buffer, size_t size, size_t count);
Status writeUnnamed(FILE* fp, const void* buffer, size_t size, size_t count);
