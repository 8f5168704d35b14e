// The import mode: edited files written back into their rooms in the image.
#pragma once

#include <cstdint>

#include "lba/lba_image.h"

// Imports every acceptable file; false when the source held no file or a file
// was refused, so that a build script notices what did not go in.
bool lbaImport(const char* imagePath, const char* source);
// True when the file was written.
bool lbaImportFile(LbaImage* image, uint32_t fileIndex, const char* path);
