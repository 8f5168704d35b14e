// The front ends' whole-file helpers: each prints its failure and ends the
// process with status 1. The load family ("E") and the quoted family ("Q")
// do the same job with different messages; each tool uses one of them. The
// stat family (fileSizeE ... fileSaveS) names files as the text and disc
// image tools do. Libraries use the cores in common/fileload.h and common/fileio.h.
#pragma once

#include <cstdint>

#include "common/fileio.h"
#include "common/fileload.h"

// fileLoad's block (release with std::free), or the family's message and exit.
uint8_t* fileLoadE(const char* path, long* size, uint32_t before, uint32_t after);
uint8_t* fileLoadQ(const char* path, long* size);
uint32_t fileSaveE(const char* path, const void* data, uint32_t length);
uint32_t fileSaveQ(const char* path, const void* data, uint32_t length);

uint32_t fileSizeE(const char* path);
uint32_t fileReadAt(const char* path, void* buffer, uint32_t offset, uint32_t length);
uint8_t* fileLoadAtE(const char* path, uint32_t offset, uint32_t length);
uint8_t* fileLoadS(const char* path, uint32_t* size);
uint32_t fileWriteAt(const char* path, const void* data, uint32_t offset, uint32_t length,
                     const char* mode);
uint32_t fileSaveS(const char* path, const void* data, uint32_t length);
// Never exits: prints its message and returns null (a block to release with
// std::free). *size is -1 when the file cannot be found or is not a regular file.
uint8_t* fileLoadReport(const char* path, long* size);
