// The front ends' checked streams: each prints its failure and ends the
// process with status 1. The named ones ("E") remember each stream's path in
// a 128-slot table of the front end so every message names the file; the
// unnamed ones ("U") are the disc image tool's simpler set. Libraries use
// common/streams.h and common/safeout.h, which take the path explicitly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "common/safeout.h"
#include "common/streams.h"

enum { kFpToNameSlots = 128 };

FILE* fopenE(const char* path, const char* mode);
void fpToNameAdd(FILE* fp, const char* path);
const char* fpToNameGet(FILE* fp);
void fpToNameRemove(FILE* fp);
int fcloseE(FILE* fp);
// Prints a failure to close but does not end the process; returns fclose's value.
int fcloseReport(FILE* fp);
int fseekE(FILE* fp, int32_t offset, int origin);
size_t freadE(void* buffer, size_t size, size_t count, FILE* fp);
size_t fwriteE(const void* buffer, size_t size, size_t count, FILE* fp);

FILE* fopenU(const char* path, const char* mode);
int fseekU(FILE* fp, int64_t offset, int origin);
size_t freadU(void* buffer, size_t size, size_t count, FILE* fp);
size_t fwriteU(const void* buffer, size_t size, size_t count, FILE* fp);

// Outputs that replace their target only once complete (common/safeout.h),
// named in the same table.
FILE* outOpen(const char* path, const char* mode);
// On a short write the temporary file is removed and the process ends.
void outWrite(FILE* fp, const void* data, uint32_t length);
void outCommit(FILE* fp);
uint32_t outSave(const char* path, const void* data, uint32_t length);
