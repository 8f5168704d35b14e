// The import mode: edited files written back into their rooms in the image.
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/outcome.h"
#include "lba/lba_image.h"

// kvolba -i: imports every acceptable file of `source` (a folder, a file or a
// wildcard expression) and writes the header. The refusals go to `messages`
// as WARN lines; when the source held no file or a file was refused the
// result is a failure without a message of its own, so that a build script
// notices what did not go in.
Status lbaImport(const char* imagePath, const char* source, const LbaSettings& settings,
                 const Messages& messages);

// Whether a file of `size` bytes named `name` may go to file `fileIndex`, by
// its index and size alone: a refusal is a failure holding its WARN line.
Status lbaCheckImport(const LbaImage& image, uint32_t fileIndex, uint32_t size, const char* name);

// Imports `size` bytes from memory as file `fileIndex` of the image open in
// `imageStream` ("rb+"), with exactly kvolba -i's refusals (a failure holding
// the WARN line; `name` is the source named in it) and its updates of the
// table and the sizes records in `image`. The header reaches the image with
// lbaWriteHeader.
Status lbaImportBytes(LbaImage& image, FILE* imageStream, uint32_t fileIndex, const uint8_t* data,
                      uint32_t size, const char* name, const Messages& messages);
