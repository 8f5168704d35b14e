// File access by path through the named streams (the stat family of the text
// and disc image tools).
#pragma once

#include <cstdint>

uint32_t fileSizeE(const char* path);
uint32_t fileReadAt(const char* path, void* buffer, uint32_t offset, uint32_t length);
uint8_t* fileLoadAtE(const char* path, uint32_t offset, uint32_t length);
uint8_t* fileLoadS(const char* path, uint32_t* size);
uint32_t fileWriteAt(const char* path, const void* data, uint32_t offset, uint32_t length,
                     const char* mode);
uint32_t fileSaveS(const char* path, const void* data, uint32_t length);
// Never exits: prints its message and returns null. *size is -1 when the file
// cannot be found or is not a regular file.
uint8_t* fileLoadReport(const char* path, long* size);
