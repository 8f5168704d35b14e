// File helpers of the two font tools.
#pragma once

#include <cstdint>
#include <cstdio>

// The size of an open file, leaving it positioned at its start; false when
// the file cannot be measured.
bool fontFileSize(FILE* fp, int64_t* size);

// The message of an output that could not be written, given without its
// newline; when the new data could not replace the old file it names the
// file that keeps it.
const char* fontWriteError(const char* message);
