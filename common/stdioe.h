// Checked stream wrappers. The named ones ("E") remember each stream's path in
// a 128-slot table so every message names the file; the unnamed ones ("U")
// are the disc image tool's simpler set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum { kFpToNameSlots = 128 };

FILE* fopenE(const char* path, const char* mode);
void fpToNameAdd(FILE* fp, const char* path);
const char* fpToNameGet(FILE* fp);
void fpToNameRemove(FILE* fp);
int fcloseE(FILE* fp);
int fcloseReport(FILE* fp);
int fseekE(FILE* fp, int32_t offset, int origin);
size_t freadE(void* buffer, size_t size, size_t count, FILE* fp);
size_t fwriteE(const void* buffer, size_t size, size_t count, FILE* fp);

FILE* fopenU(const char* path, const char* mode);
int fseekU(FILE* fp, int64_t offset, int origin);
size_t freadU(void* buffer, size_t size, size_t count, FILE* fp);
size_t fwriteU(const void* buffer, size_t size, size_t count, FILE* fp);
